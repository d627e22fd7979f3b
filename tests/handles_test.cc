// Data, dictionary and array handles and attribute lists.
#include "support/orv_child.h"
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <gmock/gmock.h>

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class HandlesTest : public ::testing::Test {
protected:
    void SetUp() override {
        trace_.start();
        tr_ignore_traces_below_level_quietly(tr_LOW);
        tr_ignore_warnings_below_level_quietly(tr_LOW);
        pool_ = orvstd_create_autorel_pool();
        dict_ = orv_mutable_dict_create();
    }
    void TearDown() override {
        orv_dict_free(dict_);
        orvstd_destroy_autorel_pool(pool_);
        trace_.stop();
    }
    std::vector<std::string> warnings() const { return trace_.of_kind(tr_KIND_WARNING); }
    std::vector<std::string> texts(ORVArray *array) {
        std::vector<std::string> out;
        for (unsigned i = 0; i < orv_array_count(array); ++i)
            out.push_back(orv_array_str_at_index(array, i));
        return out;
    }
    int seconds(const char *key) { return orv_dict_datetimestring_value_for_str_key(dict_, key); }
    std::vector<int> fields(const char *key) {
        std::vector<int> f(6, -1);
        orv_dict_datetime_value_for_str_key(dict_, key, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
        return f;
    }

    orvtest::TraceCapture trace_;
    ORVAutoreleasePool *pool_ = nullptr;
    ORVDictionary *dict_ = nullptr;
};

// ---- Dictionaries ---------------------------------------------------------------

TEST_F(HandlesTest, IntegersAreStoredAsDecimalTextAndReadBack) {
    orv_mutable_dict_set_int_value_for_str_key(dict_, "n", 42);
    orv_mutable_dict_set_str_value_for_str_key(dict_, "s", "  -17 apples");
    EXPECT_STREQ(orv_dict_str_value_for_str_key(dict_, "n"), "42");
    EXPECT_EQ(orv_dict_uint_value_for_str_key(dict_, "n"), 42u);
    EXPECT_EQ(static_cast<int>(orv_dict_uint_value_for_str_key(dict_, "s")), -17);
    orv_mutable_dict_set_int_value_for_str_key(dict_, "n", 43);  // replaced in place
    orv_mutable_dict_remove_value_for_str_key(dict_, "s");
    orv_mutable_dict_set_str_value_for_str_key(dict_, "a", "A");
    ORVArray *keys = orv_dict_all_keys(dict_), *values = orv_dict_all_values(dict_);
    EXPECT_THAT(texts(keys), ElementsAre("n", "a"));
    EXPECT_THAT(texts(values), ElementsAre("43", "A"));
    orv_array_free(keys);
    orv_array_free(values);
}

TEST_F(HandlesTest, TextReadStaysValidWhenTheValueIsReplaced) {
    orv_mutable_dict_set_str_value_for_str_key(dict_, "k", "first value, long enough to allocate");
    const char *text = orv_dict_str_value_for_str_key(dict_, "k");
    orv_mutable_dict_set_str_value_for_str_key(dict_, "k", "second");
    EXPECT_STREQ(text, "first value, long enough to allocate");
    EXPECT_STREQ(orv_dict_str_value_for_str_key(dict_, "k"), "second");
}

TEST_F(HandlesTest, AddAppendsToAnArrayAndRefusesAnotherValue) {
    orv_mutable_dict_add_str_value_for_str_key(dict_, "k", "a");
    orv_mutable_dict_add_str_value_for_str_key(dict_, "k", "b");
    orv_mutable_dict_add_int_value_for_str_key(dict_, "k", 3);
    auto *array = reinterpret_cast<ORVArray *>(orv_mutable_dict_obj_value_for_str_key(dict_, "k"));
    EXPECT_THAT(texts(array), ElementsAre("a", "b", "3"));

    orv_mutable_dict_set_str_value_for_str_key(dict_, "t", "text");
    orv_mutable_dict_add_str_value_for_str_key(dict_, "t", "x");
    orv_mutable_dict_set_str_value_for_str_key(dict_, nullptr, "x");
    orv_mutable_dict_set_obj_value_for_str_key(dict_, "o", nullptr);  // silently nothing
    EXPECT_STREQ(orv_dict_str_value_for_str_key(dict_, "t"), "text");
    EXPECT_THAT(trace_.errors(),
                ElementsAre(HasSubstr("The value under key \"t\" is not an array!"),
                            HasSubstr("Invalid parameter (NULL key) to "
                                      "orv_mutable_dict_set_str_value_for_str_key().")));
}

TEST_F(HandlesTest, DateTextsGiveTheirInstantAndFields) {
    struct Case {
        const char *text;
        int seconds;
        std::vector<int> fields;
    } cases[] = {
        {"2017-03-04 13:45:12 +0000", 1488635112, {2017, 3, 4, 13, 45, 12}},
        {"2017-03-04 14:45:12 +0100", 1488635112, {2017, 3, 4, 14, 45, 12}},
        {"1969-12-31 19:00:00 -0500", 0, {1969, 12, 31, 19, 0, 0}},
        {"2017-02-29 10:00:00 +0000", 0, {0, 0, 0, 0, 0, 0}},
        {"2017-03-04T13:45:12 +0000", 0, {0, 0, 0, 0, 0, 0}},
        {"2017-03-04 13:45:12 +0000x", 0, {0, 0, 0, 0, 0, 0}},
        // Fields of one or two digits, a leap second, trailing blanks; the
        // largest hour, minute, second and offset, and one beyond each.
        {"2017-3-4 1:2:3 +0000  ", 1488589323, {2017, 3, 4, 1, 2, 3}},
        {"2017-03-04 23:59:60 +2359", 1488585660, {2017, 3, 4, 23, 59, 60}},
        {"2017-03-04 24:00:00 +0000", 0, {0, 0, 0, 0, 0, 0}},
        {"2017-03-04 13:60:00 +0000", 0, {0, 0, 0, 0, 0, 0}},
        {"2017-03-04 13:45:61 +0000", 0, {0, 0, 0, 0, 0, 0}},
        {"2017-03-04 13:45:12 +2400", 0, {0, 0, 0, 0, 0, 0}},
        {"2017-03-04 13:45:12 -0060", 0, {0, 0, 0, 0, 0, 0}},
        {"2017-03-04 013:45:12 +0000", 0, {0, 0, 0, 0, 0, 0}},
        {"2017-03-04 13:45:12 +000", 0, {0, 0, 0, 0, 0, 0}},
        {"217-03-04 13:45:12 +0000", 0, {0, 0, 0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        orv_mutable_dict_set_str_value_for_str_key(dict_, "d", c.text);
        EXPECT_EQ(seconds("d"), c.seconds) << c.text;
        EXPECT_EQ(fields("d"), c.fields) << c.text;
    }
    EXPECT_EQ(fields("missing"), std::vector<int>(6, 0));
}

TEST_F(HandlesTest, StoredDatesSurviveAPropertyListRoundTrip) {
    orvtest::ScopedEnv tz("TZ", "Europe/Berlin");
    orv_mutable_dict_set_datetime_value_for_str_key(dict_, "when", 1488635112);
    EXPECT_STREQ(orv_dict_str_value_for_str_key(dict_, "when"), "2017-03-04 14:45:12 +0100");

    const char *text = orv_dict_description(dict_);
    ORVObject *read = orv_plist_parse(text, std::strlen(text), nullptr, nullptr);
    ASSERT_EQ(orv_object_kind_of(read), ORV_KIND_DICTIONARY);
    auto *copy = reinterpret_cast<ORVDictionary *>(read);
    EXPECT_EQ(orv_dict_datetimestring_value_for_str_key(copy, "when"), 1488635112);
    orv_dict_free(copy);
}

TEST_F(HandlesTest, DayValuesAreTwoInTheMorningLocalTime) {
    struct Case {
        const char *zone;
        int year, month, day;
        const char *text;
    } cases[] = {
        {"UTC", 2017, 3, 26, "2017-03-26 02:00:00 +0000"},
        // Summer time began at midnight here: midnight would not exist.
        {"America/Sao_Paulo", 2017, 10, 15, "2017-10-15 02:00:00 -0200"},
        {"Europe/Berlin", 2024, 2, 29, "2024-02-29 02:00:00 +0100"},
    };
    for (const Case &c : cases) {
        orvtest::ScopedEnv tz("TZ", c.zone);
        orv_mutable_dict_set_date_value_for_str_key(dict_, "d", c.year, c.month, c.day);
        EXPECT_STREQ(orv_dict_str_value_for_str_key(dict_, "d"), c.text) << c.zone;
    }
    // Days that do not exist, also those a calendar type of narrower fields would wrap into range.
    const int bad[][3] = {{2023, 2, 29}, {98303, 1, 1}, {-98303, 1, 1}, {2017, 257, 1}, {2017, -255, 1},
                          {2017, 1, 257}, {2017, 1, -255}};
    for (const auto &d : bad) orv_mutable_dict_set_date_value_for_str_key(dict_, "bad", d[0], d[1], d[2]);
    EXPECT_EQ(orv_dict_does_key_exist(dict_, "bad"), 0);
    EXPECT_EQ(trace_.errors().size(), std::size(bad));
    EXPECT_THAT(trace_.errors(), Contains(HasSubstr("Invalid date 2023-02-29")));
}

// ---- Arrays and data ------------------------------------------------------------

TEST_F(HandlesTest, DataHandlesCountReferencesAndTakeOverBuffers) {
    char *bytes = static_cast<char *>(std::malloc(4));
    std::memcpy(bytes, "abcd", 4);
    ORVData *data = orv_data_create(bytes, 4, 0);  // the handle frees bytes
    EXPECT_EQ(orv_data_copy(data), data);
    orv_data_free(data);
    ASSERT_EQ(orv_data_byte_count(data), 4u);
    EXPECT_EQ(std::memcmp(orv_data_bytes(data), "abcd", 4), 0);
    EXPECT_EQ(orv_data_create_from_object(ORV_OBJECT(dict_)), nullptr);
    orv_data_free(data);

    orvtest::TempDir dir;
    const std::string path = dir.write("f.bin", std::string("x\0y", 3));
    // Started without standard input, a program may get the file as descriptor 0.
    const auto without_input = orvtest::run_in_child("", [&] {
        ::close(0);
        _exit(orv_data_byte_count(orv_data_create_from_file(path.c_str())) == 3 ? 0 : 3);
    });
    EXPECT_EQ(without_input.status, 0);
    ORVData *file = orv_data_create_from_file(path.c_str());
    ASSERT_EQ(orv_data_byte_count(file), 3u);
    EXPECT_EQ(std::memcmp(orv_data_bytes(file), "x\0y", 3), 0);
    orv_data_free(file);
    EXPECT_EQ(orv_data_create_from_file((dir / "missing").c_str()), nullptr);
    EXPECT_EQ(orv_data_create_from_file(dir.path().c_str()), nullptr);
    // A file whose read fails after it opened: the process's own memory from address 0.
    EXPECT_EQ(orv_data_create_from_file("/proc/self/mem"), nullptr);
    EXPECT_EQ(trace_.errors().size(), 4u);
    EXPECT_THAT(trace_.errors().back(), HasSubstr("Cannot read file \"/proc/self/mem\": Input/output error"));
}

// ---- Attribute lists ------------------------------------------------------------

class AttributeListTest : public HandlesTest {
protected:
    void TearDown() override {
        orvdictc_free_attribute_list(list_);
        HandlesTest::TearDown();
    }
    void set(const char *name, const char *value) {
        ASSERT_EQ(orvdictc_set_value_for_id_in_list(value, name, orvdictc_TYPE_STRING, list_), 0);
    }
    std::string names() {
        std::string out;
        for (int i = 0; list_[i]; ++i) out += std::string(list_[i]->name) + ",";
        return out;
    }
    std::string describe(int size) {
        std::vector<char> buffer(static_cast<size_t>(size), 'X');
        orvdictc_attribute_description(list_, buffer.data(), size);
        return buffer.data();
    }
    orvdictc_attribute_t *list_[orvdictc_LIST_SIZE] = {};
};

TEST_F(AttributeListTest, SettingANameAgainMovesItToTheEnd) {
    set("Name", "1");
    set("other", "2");
    set("NAME", "3");
    EXPECT_EQ(names(), "other,NAME,");
    EXPECT_STREQ(static_cast<char *>(orvdictc_find_attribute_with_id("name", list_)->value), "3");
    set("middle", "4");
    set("last", "5");
    orvdictc_remove_attribute_from_list("MIDDLE", list_);
    EXPECT_EQ(names(), "other,NAME,last,");
    EXPECT_EQ(orvdictc_attribute_list_size(list_), 3);
}

TEST_F(AttributeListTest, AFullListGivesItsLastSlotToTheNewAttribute) {
    for (int i = 0; i < orvdictc_MAX_ATTRIBUTES; ++i) set(std::to_string(i).c_str(), "v");
    set("extra", "e");
    EXPECT_STREQ(list_[248]->name, "extra");
    EXPECT_STREQ(list_[247]->name, "247");
    EXPECT_EQ(list_[249], nullptr);
    EXPECT_THAT(warnings(), ElementsAre(HasSubstr("Reached maximum number of attributes (250).")));
}

TEST_F(AttributeListTest, DescriptionsFitTheBuffer) {
    set("name", "value");
    EXPECT_EQ(describe(12), "");
    EXPECT_THAT(warnings(),
                ElementsAre(HasSubstr("Not enough space in buffer for all attributes")));
    orvdictc_free_attribute_list(list_);
    set("a", "1");
    set("b", "2");
    EXPECT_EQ(describe(100), "\na\t\t1\nb\t\t2");
    EXPECT_EQ(describe(16), "\na\t\t1");
    int pointee = 0;
    ASSERT_EQ(orvdictc_set_value_for_id_in_list(&pointee, "p", orvdictc_TYPE_POINTER, list_), 0);
    EXPECT_THAT(describe(100), HasSubstr("\np\t\t0x"));
    EXPECT_EQ(describe(25), "\na\t\t1\nb\t\t2");  // the pointer line would overrun
}

TEST_F(AttributeListTest, CopiesOwnTheirTextsAndShareTheirPointers) {
    int pointee = 0;
    set("t", "text");
    ASSERT_EQ(orvdictc_set_value_for_id_in_list(&pointee, "p", orvdictc_TYPE_POINTER, list_), 0);
    orvdictc_attribute_t *copy[orvdictc_LIST_SIZE] = {};
    ASSERT_EQ(orvdictc_copy_attributes(list_, copy), 0);
    orvdictc_free_attribute_list(list_);
    EXPECT_STREQ(static_cast<char *>(copy[0]->value), "text");
    EXPECT_EQ(copy[1]->value, &pointee);
    orvdictc_free_attribute_list(copy);
    EXPECT_EQ(copy[0], nullptr);
}

TEST_F(AttributeListTest, AnUnknownTypeIsRefusedWithBothReports) {
    EXPECT_EQ(orvdictc_set_value_for_id_in_list("v", "n", 7, list_), -1);
    EXPECT_EQ(orvdictc_attribute_list_size(list_), 0);
    EXPECT_THAT(trace_.errors(), ElementsAre(HasSubstr("Attribute cannot be created."),
                                             HasSubstr("failed to allocate memory for new "
                                                       "attribute.")));
    // A null value is refused whatever its type: a pointer attribute needs a pointer.
    EXPECT_EQ(orvdictc_set_value_for_id_in_list(nullptr, "n", orvdictc_TYPE_POINTER, list_), -1);
    EXPECT_EQ(orvdictc_attribute_list_size(list_), 0);
}

TEST_F(HandlesTest, ArrayElementsReadAsTextAndAsNumbersWithinTheLimitsOfInt) {
    const struct {
        const char *text;
        int value;
    } cases[] = {
        {"2147483647", INT_MAX},     {"2147483648", INT_MAX},     {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},    {"-21474836470", INT_MIN},   {"99999999999999999999", INT_MAX},
        {" \t+5x", 5},              {"-", 0},                    {"x1", 0},
        {"-2147483647", -INT_MAX},   {"+-5", 0},                  {"", 0},
    };
    ORVArray *array = orv_array_create_with_capacity(0);
    for (const auto &c : cases) orv_array_add_str(array, c.text);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        EXPECT_EQ(orv_array_int_at_index(array, i), cases[i].value) << cases[i].text;
    orv_array_add_int(array, 7);
    EXPECT_STREQ(orv_array_str_at_index(array, std::size(cases)), "7");
    EXPECT_EQ(orv_array_str_at_index(array, std::size(cases) + 1), nullptr);
    orv_array_free(array);
    orv_array_free(nullptr);
    const std::string message = "Invalid parameter to orv_array_object_at_index().  NULL list or "
                                "invalid index!";
    EXPECT_THAT(trace_.errors(), ElementsAre(HasSubstr(message)));
    EXPECT_THAT(warnings(),
                ElementsAre(HasSubstr("Invalid parameter (NULL) to orv_array_free().")));
}

}  // namespace
