// Globally unique strings and the per-thread supply of random bytes.
#include "files/unique_string.h"

#include <pthread.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace orv::files {

namespace {

std::string real_host() {
    char host[256] = "host";
    ::gethostname(host, sizeof host - 1);
    host[sizeof host - 1] = '\0';
    return host;
}

pid_t real_pid() { return ::getpid(); }

struct timespec real_clock() {
    struct timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return ts;
}

bool real_random(unsigned char *bytes, std::size_t n) {
    while (n > 0) {
        const ssize_t r = ::getrandom(bytes, n, 0);
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

constexpr UniqueSources kRealSources{real_host, real_pid, real_clock, real_random};
UniqueSources Sources = kRealSources;

// Bumped in a forked child and whenever the sources change: every thread's
// supply of random bytes made under an older generation is dropped.
std::atomic<unsigned> Random_generation{1};

void drop_supplies() { Random_generation.fetch_add(1, std::memory_order_relaxed); }

void watch_forks() {
    static std::once_flag once;
    std::call_once(once, [] { ::pthread_atfork(nullptr, nullptr, drop_supplies); });
}

std::uint64_t mix64(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// A 64-bit hash of bytes, seeded.
std::uint64_t hash_bytes(const void *data, std::size_t n, std::uint64_t seed) {
    std::uint64_t h = 0xcbf29ce484222325ULL ^ mix64(seed);
    const auto *p = static_cast<const unsigned char *>(data);
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001b3ULL;
    return mix64(h);
}

// The decimal digits of the 128-bit number hi:lo.
__extension__ typedef unsigned __int128 Uint128;

std::string decimal128(std::uint64_t hi, std::uint64_t lo) {
    Uint128 v = (static_cast<Uint128>(hi) << 64) | lo;
    char digits[40];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    } while (v != 0);
    std::string out;
    while (n > 0) out.push_back(digits[--n]);
    return out;
}

}  // namespace

UniqueSources &unique_sources() { return Sources; }
const UniqueSources &real_unique_sources() { return kRealSources; }

ScopedUniqueSources::ScopedUniqueSources(const UniqueSources &sources) : saved_(Sources) {
    Sources = sources;
    drop_supplies();
}

ScopedUniqueSources::~ScopedUniqueSources() {
    Sources = saved_;
    drop_supplies();
}

std::string unique_string() {
    static std::atomic<unsigned long> counter{0};
    const unsigned long count = counter.fetch_add(1) + 1;
    std::string host = Sources.host();
    for (char &c : host)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-')) c = '-';
    const long long pid = Sources.pid();
    const struct timespec now = Sources.clock();

    std::uint64_t random[2] = {0, 0};
    if (!Sources.random(reinterpret_cast<unsigned char *>(random), sizeof random)) random[0] = random[1] = 0;
    // Host, process id and clock, hashed twice with different seeds. (The
    // counter is in the text itself; a UID base is made once per process.)
    std::string facts = host;
    facts.push_back('\0');
    const long long numbers[3] = {pid, static_cast<long long>(now.tv_sec), static_cast<long long>(now.tv_nsec)};
    facts.append(reinterpret_cast<const char *>(numbers), sizeof numbers);
    const std::uint64_t hi = random[0] ^ hash_bytes(facts.data(), facts.size(), 1);
    const std::uint64_t lo = random[1] ^ hash_bytes(facts.data(), facts.size(), 2);

    char nsec[16];
    const auto end = std::to_chars(nsec, nsec + sizeof nsec, static_cast<long>(now.tv_nsec)).ptr;
    std::string text = host + "_" + std::to_string(pid) + "_" + std::to_string(count) + "_" +
                       std::to_string(static_cast<long long>(now.tv_sec)) + "-" + std::string(nsec, end) + "_" +
                       decimal128(hi, lo);
    return text;
}

bool guid_random_bytes(unsigned char *bytes, std::size_t n) {
    struct Supply {
        unsigned generation = 0;
        std::size_t used = 0;
        unsigned char data[4096];
    };
    thread_local Supply supply;
    if (n > 256) return false;
    watch_forks();
    const unsigned generation = Random_generation.load(std::memory_order_relaxed);
    if (supply.generation != generation || supply.used + n > sizeof supply.data) {
        supply.generation = 0;
        if (!Sources.random(supply.data, sizeof supply.data)) return false;
        supply.generation = generation;
        supply.used = 0;
    }
    std::memcpy(bytes, supply.data + supply.used, n);
    // Bytes handed out are wiped so that they cannot be handed out again.
    std::memset(supply.data + supply.used, 0, n);
    supply.used += n;
    return true;
}

}  // namespace orv::files
