// Binary comparison: every kind of difference in a tree at several chunk
// sizes, the worst-found rule, links that are never followed, the extension
// filter, top-level arguments and file lists.
#include "files/ut_diff.h"
#include "support/files_helpers.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using ::testing::Contains;
using ::testing::HasSubstr;
using orvtest::TempDir;
using orv::files::DiffKind;
namespace fs = std::filesystem;

namespace {

int Polls = 0;
void count_poll() { ++Polls; }

std::string pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7) % 26);
    return s;
}

void put(const std::string &path, const std::string &data) { std::ofstream(path, std::ios::binary) << data; }

void flip_byte(const std::string &path, long offset) {
    std::string data = orvtest::read_file(path);
    data[static_cast<size_t>(offset)] ^= 1;
    put(path, data);
}

class DiffTest : public orvtest::FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        tr_ignore_traces_below_level_quietly(tr_LOW);
        Polls = 0;
        ut_set_poll_callback(count_poll);
        outside_.write("target/secret.dcm", "behind a link");
        dir_.write("orig/A.DCM", pattern(10000));
        dir_.write("orig/readme", "read me");
        dir_.write("orig/empty.dcm", "");
        dir_.write("orig/sub/b.dcm", pattern(3000));
        dir_.write("orig/sub/deep/c.txt", pattern(100));
        ::symlink((outside_ / "target").c_str(), (orig() + "/link").c_str());
        ASSERT_EQ(ut_dir_copy(orig().c_str(), copy().c_str()), 0);
    }
    void TearDown() override {
        ut_set_poll_callback(nullptr);
        ut_set_diff_buffer_size_kbytes(10);
        FilesTest::TearDown();
    }
    std::string orig() const { return dir_ / "orig"; }
    std::string copy() const { return dir_ / "copy"; }
    // The reports, with the two tree paths written as ORIG and COPY.
    std::vector<std::string> errors() const {
        std::vector<std::string> out = trace_.errors();
        for (std::string &e : out)
            for (const auto &[path, word] : {std::pair{orig(), "ORIG"}, std::pair{copy(), "COPY"}})
                for (size_t at; (at = e.find(path)) != std::string::npos;) e.replace(at, path.size(), word);
        return out;
    }

    TempDir outside_;
};

struct TreeCase {
    const char *name;
    std::function<void(const std::string &copy)> change;
    int code;
    DiffKind kind;
    std::vector<const char *> messages;
    long long offset = -1;
};

TEST_F(DiffTest, EveryKindOfDifferenceInATree) {
    const std::vector<TreeCase> cases = {
        {"identical", [](auto &) {}, 0, DiffKind::None, {}},
        {"extra files in the copy", [](auto &c) { put(c + "/sub/new.dcm", "x"); }, 0, DiffKind::None, {}},
        {"file missing in the copy", [](auto &c) { fs::remove(c + "/sub/b.dcm"); }, 2, DiffKind::CopyMissing,
         {"Failed to stat (COPY/sub/b.dcm ...). errno=2 (No such file or directory)"}},
        {"directory missing in the copy", [](auto &c) { fs::remove_all(c + "/sub/deep"); }, 2, DiffKind::CopyMissing,
         {"Failed to stat (COPY/sub/deep ...). errno=2"}},
        {"size", [](auto &c) { put(c + "/A.DCM", pattern(10001)); }, 3, DiffKind::SizeDiffers,
         {"ORIG/A.DCM files size (10000) differs from COPY/A.DCM file size (10001)"}},
        {"first byte", [](auto &c) { flip_byte(c + "/A.DCM", 0); }, 3, DiffKind::ContentDiffers,
         {"ORIG/A.DCM data differs from COPY/A.DCM"}, 0},
        {"middle byte", [](auto &c) { flip_byte(c + "/A.DCM", 5000); }, 3, DiffKind::ContentDiffers, {}, 5000},
        {"last byte", [](auto &c) { flip_byte(c + "/A.DCM", 9999); }, 3, DiffKind::ContentDiffers, {}, 9999},
        {"directory against file", [](auto &c) { fs::remove_all(c + "/sub/deep"), put(c + "/sub/deep", ""); }, 2, DiffKind::KindDiffers, {"Cannot compare!  ORIG/sub/deep is a directory, but COPY/sub/deep is file."}},
        {"link against directory", [](auto &c) { fs::remove(c + "/link"), fs::create_directory(c + "/link"); }, 2, DiffKind::KindDiffers, {"Cannot compare!  ORIG/link is a link, but COPY/link is directory."}},
        {"link target", [](auto &c) { fs::remove(c + "/link"), fs::create_symlink("/", c + "/link"); }, 3, DiffKind::ContentDiffers, {"ORIG/link data differs from COPY/link"}},
        {"worst found after every entry",
         [](auto &c) { fs::remove(c + "/sub/b.dcm"), flip_byte(c + "/sub/deep/c.txt", 99), fs::remove(c + "/empty.dcm"); }, 3, DiffKind::ContentDiffers,
         {"Failed to stat (COPY/sub/b.dcm ...). errno=2 (No such file or directory)",
          "ORIG/sub/deep/c.txt data differs from COPY/sub/deep/c.txt",
          "Failed to stat (COPY/empty.dcm ...). errno=2 (No such file or directory)"},
         99},
    };
    for (const int kbytes : {1, 4, 10, 1024}) {
        for (const TreeCase &c : cases) {
            SCOPED_TRACE(std::string(c.name) + " in chunks of " + std::to_string(kbytes) + " KiB");
            fs::remove_all(copy());
            ASSERT_EQ(ut_dir_copy(orig().c_str(), copy().c_str()), 0);
            c.change(copy());
            trace_.clear();
            Polls = 0;
            ut_set_diff_buffer_size_kbytes(kbytes);
            orv::files::DiffOutcome outcome;
            EXPECT_EQ(orv::files::binary_diff(orig().c_str(), copy().c_str(), 0, nullptr, &outcome), c.code);
            EXPECT_EQ(outcome.code, c.code);
            EXPECT_EQ(outcome.kind, c.kind);
            EXPECT_EQ(outcome.offset, c.offset);
            for (const char *m : c.messages) EXPECT_THAT(errors(), Contains(HasSubstr(m)));
            if (c.messages.empty()) { EXPECT_EQ(errors().size(), c.code == 0 ? 0u : 1u); }
            // The file behind the link is never compared: five pairs at most.
            EXPECT_LE(Polls, 5);
            if (c.code == 0) { EXPECT_EQ(Polls, 5); }
        }
    }
}

TEST_F(DiffTest, ExtensionFilterIgnoresCaseAndFilesWithoutExtension) {
    flip_byte(copy() + "/sub/deep/c.txt", 0);
    flip_byte(copy() + "/readme", 0);
    const char *dcm[] = {"dcm"};
    EXPECT_EQ(ut_binary_diff(orig().c_str(), copy().c_str(), 1, dcm), 0);
    EXPECT_TRUE(trace_.traced("Skipping " + orig() + "/readme (wrong extension)"));
    flip_byte(copy() + "/A.DCM", 10);
    EXPECT_EQ(ut_binary_diff(orig().c_str(), copy().c_str(), 1, dcm), 3);
    const char *txt[] = {"TXT"};
    EXPECT_EQ(ut_binary_diff(orig().c_str(), copy().c_str(), 1, txt), 3);
}

TEST_F(DiffTest, ReadFailureEndsTheWalkWithMinusOne) {
    put(copy() + "/sub/b.dcm", "other size");
    ut_set_diff_buffer_size_kbytes(0);
    EXPECT_EQ(ut_binary_diff(orig().c_str(), copy().c_str(), 0, nullptr), -1);
    EXPECT_THAT(errors(), Contains(HasSubstr("Failed to read 0 bytes from ORIG/")));
    // Empty files need no read.
    const std::string e = dir_.write("e1", ""), f = dir_.write("e2", "");
    EXPECT_EQ(ut_binary_diff(e.c_str(), f.c_str(), 0, nullptr), 0);
    // A file that ends before its size (it shrank meanwhile) fails without an error number.
    ut_set_diff_buffer_size_kbytes(64);
    orv::files::SysCalls calls = orv::files::real_sys();
    calls.read = [](int, void *, size_t) -> ssize_t { return 0; };
    const orv::files::ScopedSysCalls ended(calls);
    trace_.clear();
    const std::string a = orig() + "/A.DCM", b = copy() + "/A.DCM";
    EXPECT_EQ(ut_binary_diff(a.c_str(), b.c_str(), 0, nullptr), -1);
    EXPECT_THAT(errors(), Contains(HasSubstr(".  errno=0 (Success)")));
}

TEST_F(DiffTest, TopLevelPaths) {
    const std::string a = orig() + "/A.DCM", b = copy() + "/A.DCM", d = orig() + "/sub";
    const std::string missing = orig() + "/none", longer = dir_.write("longer", pattern(10001));
    const struct { const char *original, *copy; int code; const char *message; } cases[] = {
        {nullptr, b.c_str(), -1, "Original path not specified!"},
        {a.c_str(), "", -1, "Verification path not specified!"},
        {missing.c_str(), b.c_str(), -1, "Failed to stat (ORIG/none...).  errno=2"},
        {a.c_str(), d.c_str(), 2, "Cannot compare!  ORIG/A.DCM is a file, but ORIG/sub is directory."},
        {a.c_str(), longer.c_str(), 3, "files size (10000) differs from"},
        {a.c_str(), b.c_str(), 0, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message ? c.message : "identical");
        trace_.clear();
        Polls = 0;
        EXPECT_EQ(ut_binary_diff(c.original, c.copy, 0, nullptr), c.code);
        if (c.message) { EXPECT_THAT(errors(), Contains(HasSubstr(c.message))); }
        EXPECT_EQ(Polls, c.code == 0 || c.code == 3 ? 1 : 0);
    }
}

TEST_F(DiffTest, FileListsCountMissingSidesAndNeverPoll) {
    put(copy() + "/only-copy.dcm", "x");
    const char *dcm[] = {"dcm"};
    const char *both[] = {"A.DCM", "sub/b.dcm", "readme"};
    EXPECT_EQ(ut_binary_diff_array(orig().c_str(), copy().c_str(), 1, dcm, 3, both), 0);
    EXPECT_TRUE(trace_.traced("Skipping " + orig() + "/readme.  (wrong extension)"));
    const char *one_side[] = {"only-copy.dcm", "A.DCM"};
    EXPECT_EQ(ut_binary_diff_array(orig().c_str(), copy().c_str(), 0, nullptr, 2, one_side), 1);
    EXPECT_EQ(ut_binary_diff_array(copy().c_str(), orig().c_str(), 0, nullptr, 2, one_side), 2);
    const char *dir_entry[] = {"sub"};
    EXPECT_EQ(ut_binary_diff_array(orig().c_str(), copy().c_str(), 0, nullptr, 1, dir_entry), 2);
    EXPECT_EQ(Polls, 0);
    trace_.clear();
    EXPECT_EQ(ut_binary_diff_array(orig().c_str(), copy().c_str(), 0, nullptr, 0, both), -1);
    EXPECT_EQ(ut_binary_diff_array((orig() + "/A.DCM").c_str(), copy().c_str(), 0, nullptr, 1, both), -1);
    EXPECT_THAT(errors(), ::testing::ElementsAre(HasSubstr("Invalid number of files: 0"),
                                                 HasSubstr("Original path \"ORIG/A.DCM\" is not a directory")));
}

}  // namespace
