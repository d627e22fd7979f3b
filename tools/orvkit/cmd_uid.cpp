// orvkit uid: new DICOM UIDs of each kind, instance UIDs and GUIDs.
#include "cmdline.h"
#include "json.h"
#include "orvkit.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int run_uid(int argc, char **argv);

const orvkit::Command kUid{
    "uid", "Make new DICOM UIDs or GUIDs",
    "usage: orvkit uid study|series|image|kin|storcommit|instance|guid [--count N]\n"
    "                  [--compact] [--json]\n"
    "\n"
    "Prints N new identifiers, one per line. DICOM UIDs begin with the installation's\n"
    "UID root; study, series, image, kin (key object note) and storcommit (storage\n"
    "commitment) UIDs of one run share one base and end in their kind digit 0 to 4;\n"
    "instance UIDs are made from a fresh GUID each. guid prints braced GUIDs\n"
    "({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}), random version 4.\n"
    "\n"
    "  -n, --count N   how many to make (1 to 1000000, default 1)\n"
    "  -c, --compact   GUIDs as 32 hexadecimal digits (guid only)\n"
    "  -j, --json      print one JSON object: kind, root, values\n",
    run_uid};

const orvkit::Registrar registrar(kUid);

void to_stderr(const char *text, int kind) {
    if (kind == tr_KIND_ERROR) std::fprintf(stderr, "%s\n", text);
}

using KindUid = const char *(*)(void);

struct Kind {
    const char *name;
    KindUid make;  // null: instance or guid
};

const Kind kKinds[] = {
    {"study", ut_generate_dicom_study_uid},   {"series", ut_generate_dicom_series_uid},
    {"image", ut_generate_dicom_image_uid},   {"kin", ut_generate_dicom_kin_uid},
    {"storcommit", ut_generate_dicom_storcommit_uid}, {"instance", nullptr},
    {"guid", nullptr},
};

int run_uid(int argc, char **argv) {
    long count = 1;
    bool compact = false, json = false;
    orvkit::CommandLine line(kUid);
    line.number('n', "count", &count).flag('c', "compact", &compact).flag('j', "json", &json);
    if (const int status = line.parse(argc, argv, 1, 1)) return status;
    const Kind *kind = nullptr;
    for (const Kind &k : kKinds)
        if (std::strcmp(k.name, line.operand(0)) == 0) kind = &k;
    if (!kind) return orvkit::usage_error(kUid, "unknown kind %s", line.operand(0));
    if (count < 1 || count > 1000000) return orvkit::usage_error(kUid, "--count must be from 1 to 1000000");
    const bool guid = std::strcmp(kind->name, "guid") == 0;
    if (compact && !guid) return orvkit::usage_error(kUid, "--compact applies to guid only");

    tr_init_with_call_back(to_stderr);
    orvkit::Json values = orvkit::Json::array();
    for (long i = 0; i < count; ++i) {
        char buffer[80];
        const char *value = buffer;
        int result = 0;
        if (kind->make) {
            value = kind->make();
            result = *value ? 0 : -1;
        } else if (guid) {
            result = ut_generate_guid(buffer, sizeof buffer, compact ? 1 : 0);
        } else {
            result = ut_generate_instance_uid(buffer, sizeof buffer);
            if (result != 0) std::fprintf(stderr, "orvkit uid: no instance UID could be made\n");
        }
        if (result != 0) {
            if (json) orvkit::print_json(values);
            return orvkit::kFailed;
        }
        if (json)
            values.push_back(value);
        else
            std::printf("%s\n", value);
    }
    if (!json) return orvkit::kOk;
    orvkit::Json doc = orvkit::Json::object();
    doc["kind"] = kind->name;
    doc["root"] = guid ? orvkit::text(nullptr) : orvkit::text(ut_dicom_uid_root());
    doc["values"] = values;
    return orvkit::print_json(doc);
}

}  // namespace
