// DICOM UIDs and GUIDs inside the library.
#pragma once

#include <cstdint>
#include <string>

namespace orv::files {

// The numeric form of a text: runs of digits and dots are kept (leading zeros
// removed), runs of letters and "-" become the decimal of the sum of d x 100^i
// (a = 0 ... z = 25, "-" = 26; 32-bit, wrapping), other characters are
// skipped; the pieces are joined by dots. "4.2-beta3" gives "4.2.19040126.3".
std::string numeric_version_of_string(const std::string &input);

// A new DICOM UID of the kind digit into uid (at most 64 characters and a
// NUL); false (reported, uid empty) when it would be longer.
bool make_dicom_uid(unsigned kind, char (&uid)[65]);

// A new random (version-4) GUID.
struct Guid {
    std::uint32_t data1;
    std::uint16_t data2, data3;
    unsigned char data4[8];
};
bool new_guid(Guid &guid);

const char *dicom_uid_root();

}  // namespace orv::files
