// The words of each language, read from the bundle's "dt" tables once per
// language id and kept for the life of the process (a text once handed out
// is never freed, so a parse in progress never loses its words).
#include "dates/dt_words.h"

#include <ORVCommonKit/orvlocale.h>

#include "frame/orvlocale_internal.h"
#include "platform/pool.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace orv::dates {

namespace {

// The code of the supported language with this id (the languages module
// starts on demand).
std::optional<std::string> languageCodeOf(int languageId) {
    PoolScope pool;
    const char *code = orvlocale_get_language_name(languageId);
    if (!code) return std::nullopt;
    return std::string(code);
}

// The text of key in the language's "dt" table; "" when missing.
std::string localizedWord(const std::string &code, const std::string &key) {
    return orv::locale::lookup(nullptr, "dt", key, code.c_str(), "").value_or(std::string());
}

std::unique_ptr<DateWords> readWords(const std::string &code) {
    auto w = std::make_unique<DateWords>();
    w->code = code;
    w->unknown = localizedWord(code, "KEY_UNKNOWN");
    w->today = localizedWord(code, "KEY_TODAY");
    w->now = localizedWord(code, "KEY_NOW");
    w->yesterday = localizedWord(code, "KEY_YESTERDAY");
    w->tomorrow = localizedWord(code, "KEY_TOMORROW");
    for (int m = 1; m <= 12; ++m) {
        w->months[static_cast<std::size_t>(m - 1)] = localizedWord(code, "MONTH_NAME" + std::to_string(m));
        w->shortMonths[static_cast<std::size_t>(m - 1)] = localizedWord(code, "SHORT_MONTH_NAME" + std::to_string(m));
    }
    return w;
}

// Written under Words_mutex; Words_generation tells threads' last-used
// entries that the table was forgotten.
std::mutex Words_mutex;
std::unordered_map<int, const DateWords *> Words_by_id;
std::vector<std::unique_ptr<DateWords>> Words_kept;
std::atomic<unsigned> Words_generation{0};

// The language asked for last, for the common case of one language: entries
// are made under Words_mutex and never freed.
struct LastUsed {
    int id;
    const DateWords *words;
    unsigned generation;
};
std::atomic<const LastUsed *> Last_used{nullptr};
std::vector<std::unique_ptr<LastUsed>> Last_used_kept;

}  // namespace

const DateWords *wordsForLanguage(int languageId) {
    unsigned generation = Words_generation.load(std::memory_order_acquire);
    const LastUsed *last = Last_used.load(std::memory_order_acquire);
    if (last && last->id == languageId && last->generation == generation) return last->words;
    std::lock_guard<std::mutex> lock(Words_mutex);
    const DateWords *found = nullptr;
    if (auto it = Words_by_id.find(languageId); it != Words_by_id.end()) {
        found = it->second;
    } else if (auto code = languageCodeOf(languageId)) {
        Words_kept.push_back(readWords(*code));
        found = Words_by_id[languageId] = Words_kept.back().get();
    }
    if (found) {
        Last_used_kept.push_back(std::make_unique<LastUsed>(LastUsed{languageId, found, generation}));
        Last_used.store(Last_used_kept.back().get(), std::memory_order_release);
    }
    return found;
}

void forgetLanguageWords() {
    std::lock_guard<std::mutex> lock(Words_mutex);
    Words_by_id.clear();
    Words_generation.fetch_add(1, std::memory_order_acq_rel);
}

}  // namespace orv::dates
