/*
 * DICOM unique identifiers and GUID strings.
 *
 * Every UID begins with the installation's registered UID root (see
 * ut_dicom_uid_root). The UIDs of the five kinds share one base per process,
 * made from the process's globally unique string when the first is asked
 * for, followed by 10 x counter + kind digit, so the last digit tells the
 * kind: 0 study, 1 series, 2 image, 3 key object note, 4 storage commitment.
 * A UID is at most 64 characters; one that would be longer is reported and
 * not made (the counter still moves on).
 *
 * The kind functions return a static buffer that the next call overwrites:
 * copy the UID before asking for another. DICOM UIDs must not be made by two
 * threads at the same time. GUIDs are version-4 random and may be made from
 * any thread.
 */
#ifndef ORVCOMMONKIT_UTDICOM_H
#define ORVCOMMONKIT_UTDICOM_H

#include <ORVCommonKit/orvexport.h>
#include <ORVCommonKit/orvobjects.h>

#include <stddef.h>

ORV_BEGIN_DECLS

enum {
    ut_DICOM_STUDY = 0,
    ut_DICOM_SERIES = 1,
    ut_DICOM_IMAGE = 2,
    ut_DICOM_KIN = 3,
    ut_DICOM_STORCOMMIT = 4
};

/* The UID root of this installation, dotted decimal with a final dot. */
ORV_API const char *ut_dicom_uid_root(void);

/* A new UID of the kind digit as a temporary string object, or null when it
 * would be longer than 64 characters (reported). */
ORV_API ORVString *ut_dicom_uid_nsstr(unsigned int kind);
/* A new UID of each kind in the shared static buffer; "" on overflow. */
ORV_API const char *ut_generate_dicom_study_uid(void);
ORV_API const char *ut_generate_dicom_series_uid(void);
ORV_API const char *ut_generate_dicom_image_uid(void);
ORV_API const char *ut_generate_dicom_kin_uid(void);
ORV_API const char *ut_generate_dicom_storcommit_uid(void);
/* An instance UID made from a fresh GUID: root, "5.1.", then three decimal
 * numbers joined by dots. The buffer must hold more than 64 bytes. 0 or -1. */
ORV_API int ut_generate_instance_uid(char *buffer, int size);
/* A new GUID: braced "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (38 characters)
 * or, with compact, 32 hexadecimal digits; upper case. The buffer must hold
 * at least 39 bytes. 0 or -1. */
ORV_API int ut_generate_guid(char *buffer, int size, unsigned char compact);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_UTDICOM_H */
