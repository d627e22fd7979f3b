// Library start-up and tear-down, system error texts, printing, the standard
// file-manager handler's warnings and the one-time class hooks.
#include <ORVCommonKit/orvobjects.h>
#include <ORVCommonKit/orvpostloader.h>
#include <ORVCommonKit/orvstd.h>
#include <ORVCommonKit/tr.h>

#include "platform/pool.h"
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::StartsWith;

// ---- Start-up and tear-down ----
// The module state lives for the whole process and is never reset, so the
// life cycle is one test that walks it in order.

TEST(LibraryLifecycleTest, PoolIsCreatedOnceAndNeverAgainAfterTerm) {
    ORVString *s = orv_string_create("temporary");

    EXPECT_EQ(orvstd_term(), 0) << "term before any start-up does nothing";

    EXPECT_EQ(orvstd_init(), 0);
    EXPECT_EQ(orvstd_init(), 0);
    EXPECT_EQ(orvstd_gui_init(), 0);
    orv_object_autorelease(orv_object_retain(ORV_OBJECT(s)));
    EXPECT_EQ(orv_object_retain_count(ORV_OBJECT(s)), 2);
    EXPECT_EQ(orvstd_term(), 0);
    EXPECT_EQ(orv_object_retain_count(ORV_OBJECT(s)), 1) << "a second pool was stacked on the first";

    // Still marked initialized: no new pool, so a temporary now stays in the
    // thread's fallback pool and a second term releases nothing.
    EXPECT_EQ(orvstd_init(), 0);
    ORVAutoreleasePool *probe = orvstd_create_autorel_pool();
    orvstd_destroy_autorel_pool(probe);
    orv_object_autorelease(orv_object_retain(ORV_OBJECT(s)));
    EXPECT_EQ(orvstd_term(), 0);
    EXPECT_EQ(orv_object_retain_count(ORV_OBJECT(s)), 2);
    orv_object_release(ORV_OBJECT(s));  // the fallback pool still holds one
}

// ---- Error texts and printing ----

TEST(SystemErrorTextTest, KnownCodesGiveTheTextInOneBufferAndUnknownOnesNothing) {
    EXPECT_STREQ(orvstd_GetLastErrorText(ENOENT), "No such file or directory");
    const char *first = orvstd_GetLastErrorText(EACCES);
    EXPECT_STREQ(first, "Permission denied");
    EXPECT_EQ(first, orvstd_GetLastErrorText(EEXIST)) << "one static buffer, overwritten by every call";
    EXPECT_STREQ(first, "File exists");
    EXPECT_STREQ(orvstd_GetLastErrorText(99999), "");
    EXPECT_STREQ(orvstd_GetLastErrorText(0xFFFFFFFFu), "");
    errno = ENOTDIR;
    EXPECT_STREQ(orvstd_GetLastErrorText0(), "Not a directory");
    EXPECT_EQ(errno, ENOTDIR) << "reading the text must not change errno";
}

TEST(PrintTest, FormatsToStandardOutputAndIgnoresANullFormat) {
    orvtest::CapturedStdout out;
    EXPECT_EQ(orvstd_printf("%d-%s|%5.1f", 42, "x", 2.25), 10);
    EXPECT_EQ(orvstd_flush(), 0);
    EXPECT_EQ(out.finish(), "42-x|  2.2");
}

// ---- The standard handler's warnings ----

class StdHandlerTest : public ::testing::Test {
protected:
    void SetUp() override { trace_.start(); }
    // The file operations also trace their own steps: only warnings count.
    std::vector<std::string> warnings() const { return trace_.of_kind(tr_KIND_WARNING); }

    orvtest::TempDir dir_;
    orvtest::TraceCapture trace_;
    orv::PoolScope pool_;
};

TEST_F(StdHandlerTest, FailedMoveAndRemoveWarnWithTheirPathsStopAndKeepTheErrorText) {
    const std::string from = dir_ / "absent", to = dir_ / "target";
    EXPECT_EQ(orv_file_manager_move_path(from.c_str(), to.c_str(), orv_std_handler_create("mover.c", 42, "rename")), 0);
    EXPECT_STREQ(ORVStdHandler_last_error_cString(), "No such file or directory");
    EXPECT_EQ(orv_file_manager_remove_path(from.c_str(), orv_std_handler_create("remover.c", 9, "remove")), 0);
    EXPECT_THAT(warnings(),
                ElementsAre(AllOf(StartsWith("WARNING [mover.c,42 "),
                                  EndsWith("] NSFileNamanger failed to rename.  {Error=\"No such file or directory\" "
                                           "Path=\"" + from + "\" ToPath=\"" + to + "\"}.")),
                            AllOf(StartsWith("WARNING [remover.c,9 "),
                                  EndsWith("] NSFileManager failed to remove.  {Error=\"No such file or directory\" "
                                           "Path=\"" + from + "\"}."))));
    const std::string source = dir_.write("from", ""), taken = dir_.write("exists", "taken");
    EXPECT_EQ(orv_file_manager_move_path(source.c_str(), taken.c_str(), orv_std_handler_create("m.c", 7, "move")), 0);
    EXPECT_STREQ(ORVStdHandler_last_error_cString(), "File exists");
    EXPECT_EQ(orvtest::read_file(source), "") << "source must stay";
    EXPECT_EQ(orvtest::read_file(taken), "taken");
}

TEST_F(StdHandlerTest, HandlerStopsATreeCopyAtTheFirstFailure) {
    // A socket cannot be opened for reading, whatever the privileges: the
    // copy fails there, the handler answers no, and the copy stops.
    dir_.write("src/a/plain", "x");
    std::string socketPath = dir_ / "src/a/sock";
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    ORVObject *handler = orv_std_handler_create("copier.c", 3, "copy");
    EXPECT_EQ(orv_file_manager_copy_path((dir_ / "src").c_str(), (dir_ / "dst").c_str(), handler), 0);
    ::close(fd);
    // The handler is asked once and stops the copy.
    EXPECT_THAT(warnings(), ElementsAre(EndsWith("] NSFileNamanger failed to copy.  {Error=\"No such device or address\" "
                                                 "Path=\"" + socketPath + "\" ToPath=\"" + (dir_ / "dst/a/sock") +
                                                 "\"}.")));
    EXPECT_STREQ(ORVStdHandler_last_error_cString(), "No such device or address");
}

// ---- One-time class hooks ----

std::vector<std::string> g_calls;
long g_countInsideHook = 0;
ORVString *g_hookTemporary = nullptr;

void posingA(const char *cls) { g_calls.push_back(std::string("posing A ") + cls); }
void posingB(const char *cls) { g_calls.push_back(std::string("posing B ") + cls); }
void loadA(const char *cls) { g_calls.push_back(std::string("load A ") + cls); }
void loadB(const char *cls) {
    g_calls.push_back(std::string("load B ") + cls);
    // Temporaries of a hook go into the hook's own pool.
    orv_object_autorelease(orv_object_retain(ORV_OBJECT(g_hookTemporary)));
    g_countInsideHook = orv_object_retain_count(ORV_OBJECT(g_hookTemporary));
}
void lateLoad(const char *cls) { g_calls.push_back(std::string("late load ") + cls); }
void latePosing(const char *cls) { g_calls.push_back(std::string("late posing ") + cls); }

TEST(ClassHookTest, PosingHooksRunBeforeLoadHooksOnceEachAndAgainAfterAModuleLoad) {
    g_hookTemporary = orv_string_create("hook");
    // Load hooks registered first must still wait for every posing hook.
    ASSERT_EQ(orvpostloader_register_hook("ORVConfigurationTable", ORVPOSTLOADER_DID_LOAD, loadA), 0);
    ASSERT_EQ(orvpostloader_register_hook("ORVConfigurationTable", ORVPOSTLOADER_PERFORM_POSING, posingA), 0);
    ASSERT_EQ(orvpostloader_register_hook("ORVConfigurationTable", ORVPOSTLOADER_DID_LOAD, loadB), 0);
    ASSERT_EQ(orvpostloader_register_hook("NSFileManager", ORVPOSTLOADER_PERFORM_POSING, posingB), 0);
    // The same function on another class is the same hook: it runs once.
    ASSERT_EQ(orvpostloader_register_hook("NSString", ORVPOSTLOADER_DID_LOAD, loadA), 0);

    orvpostloader_process_classes();
    EXPECT_THAT(g_calls, ElementsAre("posing A ORVConfigurationTable", "posing B NSFileManager",
                                     "load A ORVConfigurationTable", "load B ORVConfigurationTable"));
    EXPECT_EQ(g_countInsideHook, 2);
    EXPECT_EQ(orv_object_retain_count(ORV_OBJECT(g_hookTemporary)), 1) << "hook pool not released";

    g_calls.clear();
    orvpostloader_process_classes();
    EXPECT_TRUE(g_calls.empty()) << "a hook ran twice";

    ASSERT_EQ(orvpostloader_register_hook("ORVPlugin", ORVPOSTLOADER_DID_LOAD, lateLoad), 0);
    ASSERT_EQ(orvpostloader_register_hook("ORVPlugin", ORVPOSTLOADER_PERFORM_POSING, latePosing), 0);
    ASSERT_EQ(orvpostloader_register_hook("ORVPlugin", ORVPOSTLOADER_PERFORM_POSING, posingA), 0);
    orvpostloader_module_did_load("/opt/orv/plugins/viewer.so");
    EXPECT_THAT(g_calls, ElementsAre("late posing ORVPlugin", "late load ORVPlugin"));
    orv_object_release(ORV_OBJECT(g_hookTemporary));
}

}  // namespace
