// Shared test support: temporary directories, scoped environment, captured output.
#include "support/orv_test_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace orvtest {

TempDir::TempDir() {
    const char *base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/orvtest-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string TempDir::operator/(const std::string &relative) const { return path_ + "/" + relative; }

std::string TempDir::write(const std::string &relative, const std::string &contents) const {
    const std::string full = *this / relative;
    fs::create_directories(fs::path(full).parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out << contents;
    return full;
}

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
    if (const char *old = std::getenv(name_.c_str())) old_ = old;
    if (value)
        setenv(name_.c_str(), value->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (old_)
        setenv(name_.c_str(), old_->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

const char *against_guard_page(const char *bytes, std::size_t n) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t pages = (n + page - 1) / page + 1;
    void *base = mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) throw std::runtime_error("mmap failed");
    char *guard = static_cast<char *>(base) + (pages - 1) * page;
    if (mprotect(guard, page, PROT_NONE) != 0) throw std::runtime_error("mprotect failed");
    return static_cast<const char *>(std::memcpy(guard - n, bytes, n));
}

TempInstallation::TempInstallation()
    : root_("ORV_ROOT_PATH", dir_.path()),
      sys_("ORV_SYS_CONFIG_PATH", dir_ / "sys/config"),
      site_("ORV_SITE_CONFIG_PATH", dir_ / "site/config"),
      user_("ORV_USER_CONFIG_PATH", dir_ / "user/config"),
      data_("ORV_SYS_DATA_PATH", dir_ / "sys/data") {}

CapturedStdout::CapturedStdout() {
    std::fflush(stdout);
    char templ[] = "/tmp/orvtest-stdout-XXXXXX";
    const int fd = mkstemp(templ);
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    file_ = templ;
    saved_fd_ = dup(1);
    dup2(fd, 1);
    close(fd);
}

std::string CapturedStdout::finish() {
    if (done_) return {};
    done_ = true;
    std::fflush(stdout);
    dup2(saved_fd_, 1);
    close(saved_fd_);
    std::string text = read_file(file_);
    std::remove(file_.c_str());
    return text;
}

CapturedStdout::~CapturedStdout() { finish(); }

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> lines_of(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace orvtest
