// DICOM UIDs and GUIDs: the numeric form, counter and kind digits, the length
// limit, uniqueness across processes started at once, what the base depends
// on, and every GUID layout.
#include "files/unique_string.h"
#include "files/ut_dicom.h"
#include "files/ut_testing.h"
#include "support/files_helpers.h"
#include "support/orv_child.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <regex>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using orv::files::ScopedUniqueSources;
using orv::files::UniqueSources;

namespace {

class DicomTest : public orvtest::FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        orv_ut_testing_forget_uid_base();
    }
    void TearDown() override {
        orv_ut_testing_set_uid_root(nullptr);
        orv_ut_testing_forget_uid_base();
        FilesTest::TearDown();
    }
};

// A well-formed UID: digits in components without leading zeros, at most 64.
bool well_formed(const std::string &uid) {
    static const std::regex shape("(0|[1-9][0-9]*)(\\.(0|[1-9][0-9]*))*");
    return uid.size() <= 64 && std::regex_match(uid, shape);
}

TEST_F(DicomTest, NumericFormOfTexts) {
    const std::pair<const char *, const char *> cases[] = {
        {"4.2-beta3", "4.2.19040126.3"}, {"007abc", "7.20100"}, {"000", ""},  {"x_y", "23.24"},
        {"ABC", "20100"}, {"zzzzzz", "3417149357"} /* wraps at 32 bits */, {"a", "0"}, {"", ""},
    };
    for (const auto &[in, out] : cases) EXPECT_EQ(orv::files::numeric_version_of_string(in), out) << in;
}

TEST_F(DicomTest, CounterAndKindDigitFollowTheBase) {
    const std::string study = ut_generate_dicom_study_uid();
    ASSERT_TRUE(well_formed(study)) << study;
    ASSERT_EQ(study.back(), '0');
    const std::string base = study.substr(0, study.size() - 1);
    EXPECT_EQ(base.rfind(ut_dicom_uid_root(), 0), 0u);
    EXPECT_EQ(ut_generate_dicom_series_uid(), base + "11");
    EXPECT_EQ(ut_generate_dicom_study_uid(), base + "20");
    EXPECT_EQ(ut_generate_dicom_image_uid(), base + "32");
    EXPECT_EQ(ut_generate_dicom_kin_uid(), base + "43");
    EXPECT_EQ(ut_generate_dicom_storcommit_uid(), base + "54");
    EXPECT_EQ(orv_string_cstring(ut_dicom_uid_nsstr(7)), base + "67");
}

TEST_F(DicomTest, TooLongUidIsReportedAndTheCounterMovesOn) {
    const std::string root(62, '1');
    orv_ut_testing_set_uid_root((root + ".").c_str());
    EXPECT_EQ(std::string(ut_generate_dicom_study_uid()), root + ".0");
    EXPECT_STREQ(ut_generate_dicom_series_uid(), "");
    EXPECT_EQ(ut_dicom_uid_nsstr(0), nullptr);
    EXPECT_THAT(errors(), ElementsAre(HasSubstr("(" + root + ".11) is 1 characters of over the maximum of 64"),
                                      HasSubstr("(" + root + ".20) is 1 characters of over")));
}

TEST_F(DicomTest, BaseDependsOnRandomBitsHostPidAndClock) {
    static int host_no = 0, pid = 1, second = 100;
    static unsigned char fill = 0;
    const UniqueSources fixed{
        [] { return std::string("clone") + std::to_string(host_no); }, [] { return static_cast<pid_t>(pid); },
        [] { return timespec{second, 0}; },
        [](unsigned char *b, size_t n) { return std::fill(b, b + n, fill), true; }};
    ScopedUniqueSources scope(fixed);
    auto base = [] {
        orv_ut_testing_forget_uid_base();
        return std::string(ut_generate_dicom_study_uid());
    };
    const std::string first = base();
    EXPECT_EQ(base(), first);  // nothing else goes in
    for (int *fact : {&host_no, &pid, &second}) {
        ++*fact;
        EXPECT_NE(base(), first);
        --*fact;
    }
    fill = 1;
    EXPECT_NE(base(), first);
}

// The lines written by body in count child processes of this one, in order.
std::vector<std::string> in_children(int count, const std::function<std::string()> &body) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        const orvtest::ChildRun run = orvtest::run_in_child("", [&] { std::fputs(body().c_str(), stdout); });
        EXPECT_EQ(run.status, 0);
        for (std::string &line : orvtest::lines_of(run.out)) lines.push_back(std::move(line));
    }
    return lines;
}

TEST_F(DicomTest, MillionUidsFromChildProcessesAreUnique) {
    // The parent has made a UID and a GUID: forked children must not reuse them.
    std::vector<std::string> uids{ut_generate_dicom_study_uid()}, guids{std::string(39, '\0')};
    ASSERT_EQ(ut_generate_guid(guids[0].data(), 39, 0), 0);
    guids[0].resize(38);
    for (std::string &line : in_children(8, [] {
             std::string all = std::string(ut_generate_dicom_study_uid()) + "\n";
             for (int i = 0; i < 125000 - 1; ++i) all.append(ut_generate_dicom_image_uid()).push_back('\n');
             char g[39];
             for (int i = 0; i < 1000; ++i) ut_generate_guid(g, sizeof g, 0), all.append(g).push_back('\n');
             return all;
         }))
        (line[0] == '{' ? guids : uids).push_back(std::move(line));
    ASSERT_EQ(uids.size(), 1000001u);
    ASSERT_EQ(guids.size(), 8001u);
    EXPECT_TRUE(std::all_of(uids.begin(), uids.end(), well_formed));
    for (auto *list : {&uids, &guids}) {
        std::sort(list->begin(), list->end());
        EXPECT_EQ(std::adjacent_find(list->begin(), list->end()), list->end());
    }
    // Processes with the same host, process id and clock still differ.
    const UniqueSources same{[] { return std::string("clone"); }, [] { return static_cast<pid_t>(1); },
                             [] { return timespec{1700000000, 0}; }, orv::files::real_unique_sources().random};
    ScopedUniqueSources scope(same);
    const std::vector<std::string> clones = in_children(2, [] { return std::string(ut_generate_dicom_study_uid()); });
    ASSERT_EQ(clones.size(), 2u);
    EXPECT_TRUE(well_formed(clones[0]) && well_formed(clones[1]));
    EXPECT_NE(clones[0], clones[1]);
}

TEST_F(DicomTest, InstanceUidsAndGuidLayouts) {
    char buf[80];
    EXPECT_EQ(ut_generate_instance_uid(buf, 64), -1);
    ASSERT_EQ(ut_generate_instance_uid(buf, 65), 0);
    // Bytes 00 11 22 ... FF from the random source: every field in its place,
    // with the version and variant bits set.
    UniqueSources fixed = orv::files::real_unique_sources();
    fixed.random = [](unsigned char *b, size_t n) {
        for (size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>(i % 16 * 17);
        return true;
    };
    {
        ScopedUniqueSources scope(fixed);
        const struct { int size; unsigned char compact; int result; const char *out; } cases[] = {
            {38, 0, -1, ""},
            {39, 0, 0, "{00112233-4455-4677-8899-AABBCCDDEEFF}"},
            {39, 1, 0, "00112233445546778899AABBCCDDEEFF"}};
        for (const auto &c : cases) {
            std::string out(40, '\0');
            EXPECT_EQ(ut_generate_guid(out.data(), c.size, c.compact), c.result);
            EXPECT_STREQ(out.c_str(), c.out);
        }
        orv_ut_testing_set_uid_root("1.2.3.");
        ASSERT_EQ(ut_generate_instance_uid(buf, 65), 0);
        EXPECT_STREQ(buf, "1.2.3.5.1.1122867.1182221397.18441921395520346504");
        orv_ut_testing_set_uid_root(std::string(21, '1').c_str());  // exactly the longest
        ASSERT_EQ(ut_generate_instance_uid(buf, 80), 0);
        EXPECT_EQ(std::string(buf).size(), 64u);
        orv_ut_testing_set_uid_root(std::string(22, '1').c_str());  // one character too long
        EXPECT_EQ(ut_generate_instance_uid(buf, 80), -1);
    }
    UniqueSources broken = orv::files::real_unique_sources();
    broken.random = [](unsigned char *, size_t) { return false; };
    ScopedUniqueSources scope(broken);
    EXPECT_EQ(ut_generate_guid(buf, 39, 1), -1);
    EXPECT_EQ(ut_generate_instance_uid(buf, 65), -1);
    EXPECT_THAT(errors(), ElementsAre(HasSubstr("guidBuffer is NULL or is smaller than 39, returning ERR"),
                                      HasSubstr("(" + std::string(22, '1') + "5.1.1122867.1182221397."
                                                "18441921395520346504) is 1 characters of over the maximum of 64"),
                                      HasSubstr("In ut_generate_guid(), CoCreateGuid() failed, returning ERR")));
}

}  // namespace
