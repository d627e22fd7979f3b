// Platform layer through its C interface: release pools, objects and their
// descriptions, the property-list reader, archives, bundles and the file
// manager.
#include <ORVCommonKit/orvobjects.h>
#include <ORVCommonKit/orvstd.h>

#include "support/orv_child.h"
#include "support/orv_test_support.h"
#include "platform/objects.h"
#include "platform/platform_testing.h"
#include "platform/pool.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace {

struct Releaser {
    void operator()(void *obj) const { orv_object_release(static_cast<ORVObject *>(obj)); }
};
template <class T>
using Owned = std::unique_ptr<T, Releaser>;
using Bytes = std::vector<unsigned char>;

Owned<ORVObject> parse(const std::string &text) {
    return Owned<ORVObject>(orv_plist_parse(text.data(), text.size(), nullptr, nullptr));
}

std::string describe(const ORVObject *obj) { return orv_object_description(obj); }

long count(ORVString *s) { return orv_object_retain_count(ORV_OBJECT(s)); }
void temporary(ORVString *s) { orv_object_autorelease(orv_object_retain(ORV_OBJECT(s))); }

// A release pool around every test: temporary texts live until its end.
class PlatformTest : public ::testing::Test {
protected:
    orvtest::TempDir dir_;
    orv::PoolScope pool_;
};

// ---- Release pools ----

TEST(ReleasePoolTest, AutoreleaseGoesToTheInnermostPoolAndOuterPoolsEmptyInnerOnes) {
    Owned<ORVString> a(orv_string_create("a")), b(orv_string_create("b"));
    ORVAutoreleasePool *outer = orvstd_create_autorel_pool();
    temporary(a.get());
    ORVAutoreleasePool *inner = orvstd_create_autorel_pool();
    temporary(b.get());
    EXPECT_EQ(count(b.get()), 2);
    orvstd_destroy_autorel_pool(inner);
    EXPECT_EQ(count(b.get()), 1);
    EXPECT_EQ(count(a.get()), 2) << "outer pool drained too early";
    orvstd_destroy_autorel_pool(outer);
    EXPECT_EQ(count(a.get()), 1);
    // Destroying an outer pool empties the inner ones first and takes them
    // off the stack: new temporaries must not land in them.
    outer = orvstd_create_autorel_pool();
    inner = orvstd_create_autorel_pool();
    temporary(a.get());
    orvstd_destroy_autorel_pool(outer);
    EXPECT_EQ(count(a.get()), 1);
    orvstd_destroy_autorel_pool(inner);
    EXPECT_EQ(count(a.get()), 1);
    // Regression: a pool released by another thread stayed on its creator's
    // stack, and the creator's next temporary went into freed memory.
    outer = orvstd_create_autorel_pool();
    inner = orvstd_create_autorel_pool();
    std::thread([inner] { orvstd_destroy_autorel_pool(inner); }).join();
    temporary(b.get());
    orvstd_destroy_autorel_pool(outer);
    EXPECT_EQ(count(b.get()), 1);
}

TEST(ReleasePoolTest, WithoutAPoolTheThreadsFallbackPoolKeepsTemporaries) {
    Owned<ORVString> s(orv_string_create("orphan"));
    unsigned long held = 0;
    long countInThread = 0;
    std::thread([&] {
        temporary(s.get());
        held = orv_platform_testing_fallback_count();
        countInThread = count(s.get());
    }).join();
    EXPECT_EQ(held, 1u);
    EXPECT_EQ(countInThread, 2);
    EXPECT_EQ(count(s.get()), 1) << "fallback pool not drained at thread exit";
}

// ---- Objects ----

TEST_F(PlatformTest, StringsKeepEveryByteAndObjectsCompareByValue) {
    const char bytes[] = {'a', '\0', '\x80', 'z'};
    Owned<ORVString> s(orv_string_create_with_bytes(bytes, sizeof bytes));
    Owned<ORVString> t(orv_string_create_with_bytes(bytes, sizeof bytes));
    Owned<ORVString> prefix(orv_string_create("a"));
    EXPECT_EQ(orv_string_length(s.get()), 4u);
    EXPECT_EQ(orv_object_kind_of(ORV_OBJECT(s.get())), ORV_KIND_STRING);
    EXPECT_TRUE(orv_object_is_equal(ORV_OBJECT(s.get()), ORV_OBJECT(t.get())));
    EXPECT_FALSE(orv_object_is_equal(ORV_OBJECT(s.get()), ORV_OBJECT(prefix.get())));
    EXPECT_FALSE(orv_object_is_equal(ORV_OBJECT(s.get()), nullptr));
    // Dictionaries are equal whatever their order; arrays are not.
    Owned<ORVObject> a = parse("{ x = 1; y = (2, 3); }");
    EXPECT_TRUE(orv_object_is_equal(a.get(), parse("{ y = (2, 3); x = 1; }").get()));
    EXPECT_FALSE(orv_object_is_equal(a.get(), parse("{ y = (3, 2); x = 1; }").get()));
    EXPECT_FALSE(orv_object_is_equal(a.get(), parse("{ y = (2, 3); x = 1; z = 1; }").get()));
    EXPECT_FALSE(orv_object_is_equal(a.get(), parse("{ y = (2, 3); z = 1; }").get()));
}

TEST_F(PlatformTest, FormattingTakesObjectsAndEveryPrintfConversion) {
    Owned<ORVString> name(orv_string_create("viewer"));
    Owned<ORVObject> list = parse("(a, \"b c\")");
    Owned<ORVString> s(orv_string_create_with_format(
        "%@|%@|%@|%5.2f|%-4d|%03x|%lld|%zu|%c|%s|%*d|%.*s|%%|%p|%Lg", ORV_OBJECT(name.get()), list.get(),
        static_cast<ORVObject *>(nullptr), 3.14159, 7, 255u, -9000000000LL, static_cast<size_t>(12), 'Z',
        static_cast<const char *>(nullptr), 4, 5, 2, "abc", static_cast<void *>(nullptr), 2.5L));
    EXPECT_STREQ(orv_string_cstring(s.get()),
                 "viewer|(\n    a,\n    \"b c\"\n)|(null)| 3.14|7   |0ff|-9000000000|12|Z|(null)|   5|ab|%|(nil)|2.5");
    // Every length modifier takes its whole argument, beyond 32 bits too.
    Owned<ORVString> wide(orv_string_create_with_format(
        "%lx|%lu|%ld|%llX|%zu|%jd|%hhx|%hd|%qu|%lo|%zd|%td|%lld|%jx|%tx", 0x123456789abUL, 0x100000001UL,
        -0x100000001L, 0xfedcba987ULL, static_cast<size_t>(0x200000000), static_cast<intmax_t>(-0x300000000), 0x1ff,
        0x12345, 0x500000000ULL, 0x1000000000UL, static_cast<ssize_t>(-0x400000000), static_cast<ptrdiff_t>(0x600000000),
        -0x700000000LL, static_cast<uintmax_t>(0x800000000), static_cast<ptrdiff_t>(0x900000000)));
    EXPECT_STREQ(orv_string_cstring(wide.get()), "123456789ab|4294967297|-4294967297|FEDCBA987|8589934592|-12884901888|"
                                                 "ff|9029|21474836480|1000000000000|-17179869184|25769803776|"
                                                 "-30064771072|800000000|900000000");
    // A conversion is not cut at the size of the first buffer it is tried in, or at any other.
    for (const std::size_t length : {127, 128, 129, 1000}) {
        const std::string text(length, 'x');
        Owned<ORVString> longer(orv_string_create_with_format("<%s>", text.c_str()));
        EXPECT_EQ(orv_string_cstring(longer.get()), "<" + text + ">");
    }
}

TEST_F(PlatformTest, DescriptionsQuoteOnlyWhatNeedsItAndReadBackEqual) {
    const std::pair<const char *, const char *> cases[] = {
        {"ORV_LOG-1.2/x:y", "ORV_LOG-1.2/x:y"}, {"a b", "\"a b\""}, {"", "\"\""},
        {"q\"b\\n\nt\t\x01", "\"q\\\"b\\\\n\\nt\\t\\001\""}, {"a//b", "\"a//b\""}};
    for (const auto &[text, description] : cases) {
        Owned<ORVString> string(orv_string_create(text));
        EXPECT_STREQ(orv_object_description(ORV_OBJECT(string.get())), description);
    }
    const std::string text =
        "{ name = \"Dr. \\\"Who\\\"\"; hosts = (alpha, \"b c\", ()); blob = <00ff 10>;"
        " nested = { \"\" = \"\\n\\t\\\\\"; \"\\351t\\351\" = {}; }; }";
    Owned<ORVObject> first = parse(text);
    ASSERT_NE(first, nullptr);
    std::string written = describe(first.get());
    Owned<ORVObject> second = parse(written);
    ASSERT_NE(second, nullptr) << written;
    EXPECT_TRUE(orv_object_is_equal(first.get(), second.get())) << written;
    EXPECT_EQ(describe(second.get()), written);
}

TEST(ObjectTest, DictionaryIndexSurvivesGrowthRemovalAndLikeHashes) {
    // Number keys that differ only in their high bits hash alike in the low
    // bits; every third one is removed again.
    auto dict = orv::make<ORVDictionary>();
    for (std::int64_t i = 0; i < 3000; ++i)
        dict->setObject(orv::make<ORVNumber>(i).get(), orv::make<ORVNumber>(i << 40).get());
    for (std::int64_t i = 0; i < 3000; i += 3)
        dict->removeObjectForKey(orv::make<ORVNumber>(i << 40).get());
    ASSERT_EQ(dict->count(), 2000u);
    for (std::int64_t i = 0; i < 3000; ++i) {
        const auto key = orv::make<ORVNumber>(i << 40);
        const auto *value = orv::as<ORVNumber>(dict->objectForKey(key.get()));
        ASSERT_EQ(value != nullptr, i % 3 != 0) << i;
        if (value) {
            EXPECT_EQ(value->intValue(), i);
        }
    }
    EXPECT_EQ(orv::as<ORVNumber>(dict->entries()[0].second.get())->intValue(), 1);
    dict->setString("v", "text");
    EXPECT_STREQ(dict->stringForKey("text")->cString(), "v");
    EXPECT_EQ(dict->copy()->objectForKey(std::string_view("text")), dict->objectForKey("text"));
    EXPECT_EQ(dict->objectForKey(static_cast<const ORVObject *>(nullptr)), nullptr);
    EXPECT_EQ(orv::make<ORVDictionary>()->objectForKey("text"), nullptr);
    // Integers and floating numbers compare by value.
    EXPECT_TRUE(orv::equal(orv::make<ORVNumber>(2).get(), orv::make<ORVNumber>(2.0).get()));
    EXPECT_FALSE(orv::equal(orv::make<ORVNumber>(0).get(), orv::make<ORVNumber>(0.5).get()));
    EXPECT_FALSE(orv::equal(orv::make<ORVNumber>(0.5).get(), orv::make<ORVNumber>(0).get()));
}

// ---- Property-list reader ----

TEST_F(PlatformTest, PropertyListsAndStringsTablesReadWithCommentsAndEscapes) {
    Owned<ORVObject> obj = parse("// directory map\n{\n  ORV_LOG_PATH = \"$ROOT/log\";   /* a\n comment */\n"
                                 "  list = (a, \"b\\tc\", <0A0b>, ());\n  octal = \"\\101\\x\";\n"
                                 "  euro = \"\\U20AC \\u00e9 \\U263A \\U20ac5 \\u41\";\n  last = x\n}\n");
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(orv_object_kind_of(obj.get()), ORV_KIND_DICTIONARY);
    EXPECT_EQ(describe(obj.get()),
              "{\n    ORV_LOG_PATH = $ROOT/log;\n    list = (\n        a,\n        \"b\\tc\",\n        <0a0b>,\n        ()\n"
              "    );\n    octal = Ax;\n    euro = \"\x80 \xe9 ? \x80""5 A\";\n    last = x;\n}");
    Owned<ORVObject> table = parse("/* input */\n\"MSG_DESC1\" = \"Bad value %s\";\nSame;\n\"k\"=\"v\" ; \"k\" = \"w\";");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(describe(table.get()), "{\n    MSG_DESC1 = \"Bad value %s\";\n    Same = Same;\n    k = w;\n}");
    Owned<ORVObject> empty = parse("  // nothing\n");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(describe(empty.get()), "{}");
}

TEST_F(PlatformTest, MalformedPropertyListsFailWithLineAndReason) {
    const struct {
        const char *text;
        int line;
        const char *message;
    } cases[] = {
        {"{\n a = b;\n c = \"open\n\n", 3, "unterminated quoted string"},
        {"{ a = b;\n c = d;\n", 3, "unterminated dictionary, expected '}'"},
        {"{ a b; }", 1, "expected '=' after dictionary key"},
        {"{ a = \"x\\\ny\\t\"; b c; }", 2, "expected '=' after dictionary key"},  // an escaped line end counts
        {"{ a = b c; }", 1, "expected ';' after dictionary value"},
        {"(a, b\n c)", 2, "expected ',' or ')' in array"},
        {"(a,\n", 2, "unterminated array, expected ')'"},
        {"<0a1>", 1, "odd number of hex digits in data"},
        {"\n<0a1g>", 2, "unexpected character 'g' in data"},
        {"\n\n<0a", 3, "unterminated data, expected '>'"},
        {"/* never\n closed", 1, "unterminated comment"},
        {"{ a = ; }", 1, "unexpected character ';' where a value was expected"},
        {"{ (a) = b; }", 1, "unexpected character '(' as a dictionary key"},
        {"(a)\n(b)", 2, "unexpected text after the property list"},
        {"\"k\" = \"v\"\n\"j\" = \"w\";", 2, "expected ';' after value"},
        {"\"k\" = \"v\";\n\n= \"w\";", 3, "unexpected character '=' as a key"},
        {"\"k\";\n\"v\" \"w\";", 2, "expected '=' after key"},
        {"{ a =\n", 2, "unexpected end of input"},
        {"{ a = \"\\777\"; }", 1, "octal escape out of range"},
        {"\"\\U\"", 1, "\\U escape without hex digits"},
        {"{ a = \x01; }", 1, "unexpected byte 0x01 where a value was expected"},
        {"\"ends with backslash\\", 1, "unterminated quoted string"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        int line = -1;
        const char *message = nullptr;
        // A copy without terminator before an unreadable page: the reader must not look past the end.
        const std::size_t length = std::strlen(c.text);
        EXPECT_EQ(orv_plist_parse(orvtest::against_guard_page(c.text, length), length, &line, &message), nullptr);
        EXPECT_EQ(line, c.line);
        EXPECT_STREQ(message, c.message);
    }
    std::string good = dir_.write("good.plist", "{ a = (b); }");
    std::string bad = dir_.write("bad.plist", "{\n\n a = (b; }");
    EXPECT_TRUE(orv_object_is_equal(Owned<ORVObject>(orv_plist_read_file(good.c_str(), nullptr, nullptr)).get(),
                                    parse("{ a = (b); }").get()));
    int line = -1;
    const char *message = nullptr;
    EXPECT_EQ(orv_plist_read_file(bad.c_str(), &line, &message), nullptr);
    EXPECT_EQ(line, 3);
    EXPECT_STREQ(message, "expected ',' or ')' in array");
    std::string missing = dir_ / "missing.plist";
    EXPECT_EQ(orv_plist_read_file(missing.c_str(), &line, &message), nullptr);
    EXPECT_EQ(line, 0);
    EXPECT_EQ(std::string(message), "cannot read \"" + missing + "\"");
}

TEST_F(PlatformTest, NestingIsLimitedTo257LevelsInTextAndArchives) {
    int line = 0;
    const char *message = nullptr;
    const std::string deepest = std::string(257, '(') + std::string(257, ')');
    Owned<ORVObject> fine = parse(deepest);
    ASSERT_NE(fine, nullptr);
    for (const std::string &deeper : {std::string(258, '(') + std::string(258, ')'), std::string(100000, '(')}) {
        EXPECT_EQ(orv_plist_parse(deeper.data(), deeper.size(), &line, &message), nullptr);
        EXPECT_STREQ(message, "nesting too deep");
    }
    // The deepest text archives and decodes; one level more is refused.
    Owned<ORVData> data(orv_archive_encode(fine.get(), nullptr));
    ASSERT_NE(data, nullptr);
    const auto *p = static_cast<const unsigned char *>(orv_data_bytes_of(data.get()));
    Bytes bytes(p, p + orv_data_length_of(data.get()));
    Owned<ORVObject> back(orv_archive_decode(bytes.data(), bytes.size(), nullptr));
    EXPECT_TRUE(orv_object_is_equal(back.get(), fine.get()));
    const unsigned char one_more[] = {'A', 1, 0, 0, 0};
    bytes.insert(bytes.begin() + 8, one_more, one_more + 5);
    const char *error = nullptr;
    EXPECT_EQ(orv_archive_decode(bytes.data(), bytes.size(), &error), nullptr);
    EXPECT_STREQ(error, "archive nests too deeply at offset 1293");
    auto deeper = orv::make<ORVArray>();
    deeper->add(fine.get());
    EXPECT_EQ(orv_archive_encode(deeper.get(), &error), nullptr);
    EXPECT_STREQ(error, "object graph nests too deeply");
    // A dictionary's values count their levels as an array's items do.
    Owned<ORVObject> dict = parse("{ k = " + std::string(256, '(') + std::string(256, ')') + "; }");
    ASSERT_NE(dict, nullptr);
    EXPECT_NE(Owned<ORVData>(orv_archive_encode(dict.get(), nullptr)), nullptr);
}

// ---- Archives ----

std::string decodeError(const Bytes &bytes) {
    const char *error = nullptr;
    ORVObject *obj = orv_archive_decode(bytes.data(), bytes.size(), &error);
    orv_object_release(obj);
    return obj ? std::string("decoded") : std::string(error ? error : "no error text");
}

// Every prefix of an archive is refused by the sweep (in buffers that end
// against an unreadable page); here the round trip and what cannot be encoded.
TEST_F(PlatformTest, ArchivesRoundTripAndRefuseWhatTheyCannotHold) {
    Owned<ORVObject> graph = parse("{ VIEWER = { PORT = (104, 4006); \"\" = <00ff>; }; list = (a, (b, ())); e = {}; }");
    ASSERT_NE(graph, nullptr);
    Owned<ORVData> data(orv_archive_encode(graph.get(), nullptr));
    ASSERT_NE(data, nullptr);
    const auto *p = static_cast<const unsigned char *>(orv_data_bytes_of(data.get()));
    const Bytes bytes(p, p + orv_data_length_of(data.get()));
    Owned<ORVObject> back(orv_archive_decode(bytes.data(), bytes.size(), nullptr));
    EXPECT_TRUE(orv_object_is_equal(back.get(), graph.get()));
    Owned<ORVBundle> bundle(orv_bundle_create("/tmp"));
    const char *error = nullptr;
    EXPECT_EQ(orv_archive_encode(ORV_OBJECT(bundle.get()), &error), nullptr);
    EXPECT_STREQ(error, "an object of this kind cannot be archived");
    EXPECT_EQ(orv_archive_encode(nullptr, &error), nullptr);
    EXPECT_STREQ(error, "a null object cannot be archived");
}

TEST_F(PlatformTest, ArchivedNumbersAndDatesDecodeDescribeAndEncodeAlike) {
    // (48, -2.5, YES, 2024-03-01 13:05:09 UTC seen at +01:00, -01:30)
    Bytes bytes = {'O', 'R', 'V', 'A', 1, 0, 0, 0, 'A', 5, 0, 0, 0, 'I', 48, 0, 0, 0, 0, 0, 0, 0,
                   'F', 0,   0,   0,   0, 0, 0, 0x04, 0xC0, 'B', 1};
    const unsigned char seconds[] = {0x85, 0xD2, 0xE1, 0x65, 0, 0, 0, 0};  // 1709298309
    bytes.push_back('T');
    bytes.insert(bytes.end(), seconds, seconds + 8);
    bytes.insert(bytes.end(), {0x10, 0x0E, 0, 0, 3, 0, 0, 0, 'C', 'E', 'T'});  // +3600
    bytes.push_back('T');
    bytes.insert(bytes.end(), seconds, seconds + 8);
    bytes.insert(bytes.end(), {0xE8, 0xEA, 0xFF, 0xFF, 0, 0, 0, 0});  // -5400, no zone name
    Owned<ORVObject> obj(orv_archive_decode(bytes.data(), bytes.size(), nullptr));
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(describe(obj.get()),
              "(\n    48,\n    -2.5,\n    YES,\n    \"2024-03-01 14:05:09 +0100\",\n"
              "    \"2024-03-01 11:35:09 -0130\"\n)");
    Owned<ORVData> again(orv_archive_encode(obj.get(), nullptr));
    ASSERT_NE(again, nullptr);
    const auto *p = static_cast<const unsigned char *>(orv_data_bytes_of(again.get()));
    EXPECT_EQ(Bytes(p, p + orv_data_length_of(again.get())), bytes);
}

TEST_F(PlatformTest, EveryShortOrBadArchiveIsNamedWithItsOffset) {
    const Bytes header = {'O', 'R', 'V', 'A', 1, 0, 0, 0};
    const std::pair<Bytes, const char *> cases[] = {
        {{}, "truncated archive: object expected at offset 8"},
        {{'S', 5, 0, 0, 0, 'a', 'b'}, "truncated string at offset 13"},
        {{'D', 3, 0, 0, 0, 1}, "truncated data at offset 13"},
        {{'S', 0, 0, 0}, "truncated string at offset 9"},
        {{'I', 1, 2, 3, 4, 5, 6, 7}, "truncated integer at offset 9"},
        {{'F', 0, 0}, "truncated floating number at offset 9"},
        {{'B'}, "truncated boolean at offset 9"},
        {{'B', 2}, "bad boolean value at offset 10"},
        {{'A', 1, 0}, "truncated array count at offset 9"},
        {{'A', 3, 0, 0, 0, 'B', 1}, "array count exceeds the archive at offset 13"},
        {{'A', 1, 0, 0, 0}, "array count exceeds the archive at offset 13"},
        {{'M', 1, 0, 0}, "truncated dictionary count at offset 9"},
        {{'M', 2, 0, 0, 0, 'B', 1}, "dictionary count exceeds the archive at offset 13"},
        // A dictionary claiming four billion entries must not allocate them.
        {{'M', 0xFF, 0xFF, 0xFF, 0xFF, 'B', 1}, "dictionary count exceeds the archive at offset 13"},
        {{'M', 2, 0, 0, 0, 'S', 1, 0, 0, 0, 'a', 'S', 1, 0, 0, 0, 'a', 'S', 1, 0, 0, 0, 'a', 'S', 1, 0, 0, 0, 'a'},
         "duplicate dictionary key at offset 37"},
        {{'T', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, "truncated date at offset 25"},
        {{'T', 0, 0, 0, 0}, "truncated date at offset 9"},
        {{'Q'}, "unknown object tag at offset 8"},
        {{'B', 1, 0}, "trailing bytes after the archived object at offset 10"},
    };
    for (const auto &[body, message] : cases) {
        Bytes bytes = header;
        bytes.insert(bytes.end(), body.begin(), body.end());
        bytes.shrink_to_fit();
        EXPECT_EQ(decodeError(bytes), message);
    }
    const std::pair<Bytes, const char *> headers[] = {
        {{}, "not an archive (bad magic number) at offset 0"},
        {{'O', 'R', 'V', 'X', 1, 0, 0, 0, 'B', 1}, "not an archive (bad magic number) at offset 4"},
        {{'O', 'R', 'V', 'A', 1, 0, 0}, "truncated archive header at offset 6"},
        {{'O', 'R', 'V', 'A', 2, 0, 0, 0, 'B', 1}, "unsupported archive version 2 at offset 8"},
        {{'O', 'R', 'V', 'A', 1, 0, 1, 0, 'B', 1}, "unsupported archive flags at offset 8"},
    };
    for (const auto &[bytes, message] : headers) EXPECT_EQ(decodeError(bytes), message);
}

// ---- Bundles ----

class BundleTest : public PlatformTest {
protected:
    void SetUp() override {
        dir_.write("directories.plist", "{ ORV_ROOT_PATH = { default = /opt/orv; }; }");
        dir_.write("input_en.strings", "\"MSG_DESC1\" = \"Value out of range\";\n");
        dir_.write("Localizable.strings", "greeting = \"Hello\";");
        dir_.write("broken.strings", "\"a\" = ");
        bundle_.reset(orv_bundle_create(dir_.path().c_str()));
    }
    Owned<ORVBundle> bundle_;
};

TEST_F(BundleTest, FindsResourcesAndLocalizedStringsFallBackToValueThenKey) {
    EXPECT_STREQ(orv_bundle_path(bundle_.get()), dir_.path().c_str());
    EXPECT_EQ(std::string(orv_bundle_path_for_resource(bundle_.get(), "directories", "plist")),
              dir_ / "directories.plist");
    EXPECT_EQ(orv_bundle_path_for_resource(bundle_.get(), "directories", "strings"), nullptr);
    Owned<ORVBundle> slashed(orv_bundle_create((dir_.path() + "/").c_str()));
    EXPECT_EQ(std::string(orv_bundle_path_for_resource(slashed.get(), "directories", "plist")),
              dir_ / "directories.plist");
    EXPECT_EQ(std::string(orv_bundle_path_for_resource(bundle_.get(), "directories.plist", nullptr)),
              dir_ / "directories.plist");
    const struct {
        const char *key, *value, *table, *text;
    } cases[] = {
        {"MSG_DESC1", "x", "input_en", "Value out of range"}, {"MSG_DESC2", "fallback", "input_en", "fallback"},
        {"MSG_DESC2", "", "input_en", "MSG_DESC2"},           {"MSG_DESC2", nullptr, "no_such_table", "MSG_DESC2"},
        {"a", nullptr, "broken", "a"},                        {"greeting", nullptr, nullptr, "Hello"},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(orv_bundle_localized_string(bundle_.get(), c.key, c.value, c.table), c.text) << c.key;
}

TEST_F(BundleTest, LibraryBundleCanBePointedElsewhere) {
    orv_platform_testing_set_bundle_path(dir_.path().c_str());
    ORVBundle *common = ORVCommonBundle();
    EXPECT_EQ(ORVCommonBundle(), common) << "the library bundle is found once and kept";
    EXPECT_STREQ(orv_bundle_path(common), dir_.path().c_str());
    orv_platform_testing_set_bundle_path(nullptr);
    {
        orvtest::ScopedEnv env("ORVCOMMONKIT_RESOURCES", "/elsewhere/bundle");
        EXPECT_STREQ(orv_bundle_path(ORVCommonBundle()), "/elsewhere/bundle");
    }
    orv_platform_testing_set_bundle_path(nullptr);
    {
        orvtest::ScopedEnv env("ORVCOMMONKIT_RESOURCES", std::nullopt);
        // Found beside the loaded library: <build>/lib/../share/ORVCommonKit.
        EXPECT_THAT(orv_bundle_path(ORVCommonBundle()), ::testing::EndsWith("share/ORVCommonKit"));
    }
    orv_platform_testing_set_bundle_path(nullptr);
}

// ---- File manager ----

using FileManagerTest = PlatformTest;

TEST_F(FileManagerTest, CopiesAndMovesTreesAndRefusesExistingDestinations) {
    dir_.write("src/a.txt", "alpha");
    dir_.write("src/sub/b.txt", "beta");
    ASSERT_EQ(::chmod((dir_ / "src/a.txt").c_str(), 0640), 0);
    // Link targets of every length come over whole.
    const std::size_t lengths[] = {1, 255, 256, 257, 300, 1000};
    for (const std::size_t length : lengths)
        ASSERT_EQ(::symlink(std::string(length, 't').c_str(), (dir_ / "src/link" + std::to_string(length)).c_str()), 0);
    std::string src = dir_ / "src", copy = dir_ / "copy", moved = dir_ / "moved";
    EXPECT_EQ(orv_file_manager_copy_path(src.c_str(), copy.c_str(), nullptr), 1);
    EXPECT_EQ(orvtest::read_file(copy + "/sub/b.txt"), "beta");
    struct stat st;
    ASSERT_EQ(::stat((copy + "/a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    for (const std::size_t length : lengths) {
        char target[1100];
        const ssize_t n = ::readlink((copy + "/link" + std::to_string(length)).c_str(), target, sizeof target);
        EXPECT_EQ(std::string(target, static_cast<std::size_t>(n < 0 ? 0 : n)), std::string(length, 't'));
    }
    EXPECT_EQ(orv_file_manager_copy_path(src.c_str(), copy.c_str(), nullptr), 0);
    EXPECT_EQ(orv_file_manager_move_path(copy.c_str(), src.c_str(), nullptr), 0);
    EXPECT_EQ(orv_file_manager_move_path(copy.c_str(), moved.c_str(), nullptr), 1);
    int isDir = 0;
    EXPECT_EQ(orv_file_manager_exists(copy.c_str(), &isDir), 0);
    EXPECT_EQ(orv_file_manager_exists(moved.c_str(), &isDir), 1);
    EXPECT_EQ(isDir, 1);
    EXPECT_EQ(orvtest::read_file(moved + "/a.txt"), "alpha");
}

// A move to another file system copies the tree and then removes the original.
TEST_F(FileManagerTest, MovesAcrossFileSystems) {
    struct stat here, there;
    if (::stat(dir_.path().c_str(), &here) != 0 || ::stat("/dev/shm", &there) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";
    const std::string from = dir_ / "src", to = "/dev/shm/orvtest-move-" + std::to_string(::getpid());
    dir_.write("src/sub/a.txt", "alpha");
    EXPECT_EQ(orv_file_manager_move_path(from.c_str(), to.c_str(), nullptr), 1);
    EXPECT_EQ(orvtest::read_file(to + "/sub/a.txt"), "alpha");
    EXPECT_EQ(orv_file_manager_exists(from.c_str(), nullptr), 0);
    orv_file_manager_remove_path(to.c_str(), nullptr);
}

// A copy that cannot write all its bytes (here: past the process's file size
// limit) fails instead of leaving a short file behind as a success.
TEST_F(FileManagerTest, CopyFailsWhenItsWritesFail) {
    const std::string big = dir_.write("big", std::string(100000, 'b')), copy = dir_ / "copy";
    const auto run = orvtest::run_in_child("", [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8192, 8192};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::printf("\nresult=%d\n", orv_file_manager_copy_path(big.c_str(), copy.c_str(), nullptr));
    });
    EXPECT_THAT(run.out, ::testing::HasSubstr("\nresult=0\n"));
}

TEST_F(FileManagerTest, RemovesTreesCreatesDirectoriesAndSetsPermissions) {
    dir_.write("tree/x/y/z.txt", "z");
    std::string tree = dir_ / "tree";
    EXPECT_EQ(orv_file_manager_remove_path(tree.c_str(), nullptr), 1);
    EXPECT_EQ(orv_file_manager_exists(tree.c_str(), nullptr), 0);
    EXPECT_EQ(orv_file_manager_remove_path(tree.c_str(), nullptr), 0) << "nothing left to remove";
    std::string made = dir_ / "made";
    EXPECT_EQ(orv_file_manager_create_directory(made.c_str(), 0700), 1);
    EXPECT_EQ(orv_file_manager_create_directory(made.c_str(), 0700), 0);
    EXPECT_EQ(orv_file_manager_create_directory((dir_ / "no/parent").c_str(), 0700), 0);
    EXPECT_EQ(orv_file_manager_set_permissions(made.c_str(), 0751), 1);
    struct stat st;
    ASSERT_EQ(::stat(made.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    EXPECT_EQ(orv_file_manager_set_permissions((dir_ / "missing").c_str(), 0600), 0);
}

// The answers built into the platform layer, not those other families install.
TEST_F(FileManagerTest, BuiltinRemovalTakesWholeTreesWithoutFollowingLinksAndAsksTheHandler) {
    orv_platform_testing_use_builtin_file_answers(1);
    dir_.write("keep/k.txt", "k");
    dir_.write("tree/a/b/c.txt", "c");
    dir_.write("tree/top.txt", "t");
    std::string tree = dir_ / "tree", keep = dir_ / "keep";
    ASSERT_EQ(::symlink(keep.c_str(), (tree + "/link").c_str()), 0);
    EXPECT_EQ(orv_file_manager_remove_path(tree.c_str(), nullptr), 1);
    int isDir = -1;
    EXPECT_EQ(orv_file_manager_exists(tree.c_str(), &isDir), 0);
    EXPECT_EQ(isDir, 0);
    EXPECT_EQ(orvtest::read_file(keep + "/k.txt"), "k") << "removal followed a symbolic link";
    ORVObject *handler = orv_std_handler_create("remover.c", 5, "remove");
    EXPECT_EQ(orv_file_manager_remove_path(tree.c_str(), handler), 0);
    EXPECT_STREQ(ORVStdHandler_last_error_cString(), "No such file or directory");
    EXPECT_EQ(orv_file_manager_remove_path("", handler), 0);
    // Files of the process table cannot be unlinked, not even by root.
    EXPECT_EQ(orv_file_manager_remove_path("/proc/self/status", nullptr), 0);
    EXPECT_EQ(orv_file_manager_remove_path("/proc/self/status", handler), 0);
    orv_platform_testing_use_builtin_file_answers(0);
}

}  // namespace
