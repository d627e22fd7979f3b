// orvkit diff: byte-for-byte verification of a copy against its original,
// with the graded code and the worst difference found.
#include "cmdline.h"
#include "json.h"
#include "orvkit.h"

#include "files/ut_diff.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int run_diff(int argc, char **argv);

const orvkit::Command kDiff{
    "diff", "Verify that a copy holds the same bytes as its original",
    "usage: orvkit diff ORIGINAL COPY [--ext dcm,txt] [--chunk KB] [--json]\n"
    "\n"
    "Compares two files, or two directory trees recursively, byte for byte. Every\n"
    "file of ORIGINAL must be in COPY with the same bytes; extra files in COPY are\n"
    "not looked at. Symbolic links inside the trees are compared as links, never\n"
    "followed. Prints the graded code of the worst difference found and where:\n"
    "   0  identical\n"
    "   1  a file of ORIGINAL is missing\n"
    "   2  a file of COPY is missing, or a file stands against a directory or link\n"
    "   3  a pair of files differs in size or in content\n"
    "  -1  the comparison failed (the reason is on standard error)\n"
    "Every difference is also reported on standard error. Exit status 0 when\n"
    "identical, 1 for a difference or a failure, 2 for bad usage.\n"
    "\n"
    "  -e, --ext LIST   compare only files with one of these extensions\n"
    "                   (comma-separated, case ignored)\n"
    "  -c, --chunk KB   read both files in chunks of KB KiB (default 10)\n"
    "  -j, --json       print one JSON object: code, difference (none,\n"
    "                   original_missing, copy_missing, kind, size, content,\n"
    "                   failed), original, copy, original_kind and copy_kind,\n"
    "                   original_size and copy_size, offset (first differing\n"
    "                   byte), files_compared, files_skipped\n",
    run_diff};

const orvkit::Registrar registrar(kDiff);

void to_stderr(const char *text, int kind) {
    if (kind == tr_KIND_ERROR || kind == tr_KIND_WARNING) std::fprintf(stderr, "%s\n", text);
}

const char *difference_word(orv::files::DiffKind kind) {
    using orv::files::DiffKind;
    switch (kind) {
    case DiffKind::None: return "none";
    case DiffKind::OriginalMissing: return "original_missing";
    case DiffKind::CopyMissing: return "copy_missing";
    case DiffKind::KindDiffers: return "kind";
    case DiffKind::SizeDiffers: return "size";
    case DiffKind::ContentDiffers: return "content";
    case DiffKind::Failed: break;
    }
    return "failed";
}

// The line naming the worst difference.
std::string describe(const orv::files::DiffOutcome &o) {
    using orv::files::DiffKind;
    const std::string pair = o.original + " and " + o.copy;
    switch (o.kind) {
    case DiffKind::None: return "identical (" + std::to_string(o.files_compared) + " files compared)";
    case DiffKind::OriginalMissing: return "missing in the original: " + o.original;
    case DiffKind::CopyMissing: return "missing in the copy: " + o.copy;
    case DiffKind::KindDiffers:
        return "not the same kind: " + o.original + " is a " + o.original_kind + ", " + o.copy + " is a " + o.copy_kind;
    case DiffKind::SizeDiffers:
        return "size differs: " + o.original + " has " + std::to_string(o.original_size) + " bytes, " + o.copy +
               " has " + std::to_string(o.copy_size);
    case DiffKind::ContentDiffers:
        return o.offset < 0 ? "link target differs: " + pair
                            : "content differs at byte " + std::to_string(o.offset) + ": " + pair;
    case DiffKind::Failed: break;
    }
    return "comparison failed: " + pair;
}

int run_diff(int argc, char **argv) {
    const char *ext_list = nullptr;
    long chunk = -1;  // not given
    bool json = false;
    orvkit::CommandLine line(kDiff);
    line.text('e', "ext", &ext_list).number('c', "chunk", &chunk).flag('j', "json", &json);
    if (const int status = line.parse(argc, argv, 2, 2)) return status;
    if (chunk != -1 && (chunk < 1 || chunk > 1048576))
        return orvkit::usage_error(kDiff, "--chunk must be from 1 to 1048576 KiB");
    std::vector<std::string> extensions;
    if (ext_list) {
        std::string text = ext_list;
        for (size_t start = 0; start <= text.size();) {
            size_t end = text.find(',', start);
            if (end == std::string::npos) end = text.size();
            std::string ext = text.substr(start, end - start);
            while (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
            if (!ext.empty()) extensions.push_back(ext);
            start = end + 1;
        }
        if (extensions.empty()) return orvkit::usage_error(kDiff, "--ext needs at least one extension");
    }
    std::vector<const char *> ext_pointers;
    for (const std::string &e : extensions) ext_pointers.push_back(e.c_str());

    tr_init_with_call_back(to_stderr);
    if (chunk > 0) ut_set_diff_buffer_size_kbytes(static_cast<int>(chunk));
    orv::files::DiffOutcome outcome;
    const int code = orv::files::binary_diff(line.operand(0), line.operand(1), static_cast<int>(ext_pointers.size()),
                                             ext_pointers.data(), &outcome);
    const int status = code == 0 ? orvkit::kOk : orvkit::kFailed;
    if (!json) {
        std::printf("%d %s\n", code, describe(outcome).c_str());
        return status;
    }
    orvkit::Json doc = orvkit::Json::object();
    doc["code"] = code;
    doc["difference"] = difference_word(outcome.kind);
    doc["original"] = code == 0 ? orvkit::text(nullptr) : orvkit::text(outcome.original.c_str());
    doc["copy"] = code == 0 ? orvkit::text(nullptr) : orvkit::text(outcome.copy.c_str());
    if (outcome.kind == orv::files::DiffKind::KindDiffers) {
        doc["original_kind"] = outcome.original_kind;
        doc["copy_kind"] = outcome.copy_kind;
    }
    if (outcome.kind == orv::files::DiffKind::SizeDiffers) {
        doc["original_size"] = outcome.original_size;
        doc["copy_size"] = outcome.copy_size;
    }
    if (outcome.offset >= 0) doc["offset"] = outcome.offset;
    doc["files_compared"] = outcome.files_compared;
    doc["files_skipped"] = outcome.files_skipped;
    return orvkit::print_json(doc, status);
}

}  // namespace
