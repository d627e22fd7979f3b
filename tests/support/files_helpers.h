// Shared set-up of the file and directory tests: a scratch directory, the
// reports caught through the trace call-back, a release pool, and system calls
// that fail on purpose for one chosen path.
#pragma once

#include "files/sys_seam.h"
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <sys/stat.h>

#include <gmock/gmock.h>

#include <cerrno>
#include <string>
#include <vector>

namespace orvtest {

inline bool exists(const std::string &path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

inline mode_t mode_of(const std::string &path) {
    struct stat st{};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        trace_.start();
        tr_ignore_warnings_below_level_quietly(tr_LOW);
        pool_ = orvstd_create_autorel_pool();
    }
    void TearDown() override {
        orvstd_destroy_autorel_pool(pool_);
        trace_.stop();
    }
    const std::vector<std::string> &errors() const { return trace_.errors(); }
    std::string last_error() const { return errors().empty() ? "<none>" : errors().back(); }
    std::vector<std::string> warnings() const { return trace_.of_kind(tr_KIND_WARNING); }

    TempDir dir_;
    TraceCapture trace_;
    ORVAutoreleasePool *pool_ = nullptr;
};

// The real system calls, except that rename from Fail_rename and unlink of
// Fail_unlink fail with errno EACCES and EPERM while the object lives.
struct FailingCalls {
    static inline std::string Fail_rename, Fail_unlink;
    static int rename(const char *from, const char *to) {
        if (Fail_rename == from) return errno = EACCES, -1;
        return orv::files::real_sys().rename(from, to);
    }
    static int unlink(const char *path) {
        if (Fail_unlink == path) return errno = EPERM, -1;
        return orv::files::real_sys().unlink(path);
    }
    static orv::files::SysCalls table() {
        orv::files::SysCalls calls = orv::files::real_sys();
        calls.rename = rename;
        calls.unlink = unlink;
        return calls;
    }
    FailingCalls(std::string rename_from, std::string unlink_path) : seam_(table()) {
        Fail_rename = std::move(rename_from);
        Fail_unlink = std::move(unlink_path);
    }
    ~FailingCalls() { Fail_rename = Fail_unlink = ""; }

private:
    orv::files::ScopedSysCalls seam_;
};

}  // namespace orvtest
