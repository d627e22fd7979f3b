/*
 * Configuration: the constants and handle types shared by every cf_ header.
 *
 * Domains, privilege levels, value types, behavior bits and the status codes
 * that every status-returning cf_ function gives back (0 for success).
 */
#ifndef ORVCOMMONKIT_CFDEFS_H
#define ORVCOMMONKIT_CFDEFS_H

#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

/* Configuration domains. */
enum {
    cf_DOMAIN_SYS = 0,
    cf_DOMAIN_SITE = 1,
    cf_DOMAIN_USER = 2,
    cf_DOMAIN_ALL = 4
};

/* Privilege levels, needed to change a variable. */
enum {
    cf_USER_PRIV = 0,
    cf_ADMIN_PRIV = 1,
    cf_INST_PRIV = 2,
    cf_SYS_PRIV = 3
};

/* Value types of the typed lookups and changes. */
enum {
    cf_TYPE_BYTE = 0,
    cf_TYPE_SHORT = 1,
    cf_TYPE_INT = 2,
    cf_TYPE_LONG = 3,
    cf_TYPE_FLOAT = 4,
    cf_TYPE_BOOL = 5,
    cf_TYPE_RECT = 6
};

/* Behavior bits of a group or variable. */
enum {
    cf_BEHAVIOR_EXPAND_SUFFIXED = 0x01,
    cf_BEHAVIOR_EXPAND_LIST = 0x02,
    cf_BEHAVIOR_UNIQUE_GROUP = 0x04,
    cf_BEHAVIOR_NAME_GROUP = 0x08,
    cf_BEHAVIOR_HOST_GROUP = 0x10,
    cf_BEHAVIOR_HOST = 0x20
};

/* Most values one variable can hold, and so the room a value list needs. */
#define cf_MAX_VALUES 1000

/* Status codes. */
enum {
    cf_OK = 0,
    cf_FAILURE = -1,
    cf_BAD_PARAM = -4979,
    cf_READ_ONLY = -4980,
    cf_EXPAND = -4981,
    cf_BEHAVIOR_FILE = -4982,
    cf_GROUP_CONFLICT = -4983,
    cf_NO_VALUES = -4984,
    cf_BUFFER_OVERFLOW = -4985,
    cf_TYPE_MISMATCH = -4986,
    cf_BAD_TYPE = -4987,
    cf_UNEX_EOF = -4988,
    cf_REINIT = -4989,
    cf_NVALUE_OVL = -4990,
    cf_NOT_INIT = -4991,
    cf_INSUF_PRIV = -4992,
    cf_FILE_NWRITE = -4994,
    cf_FILE_NCREATE = -4995,
    cf_FILE_NACCESS = -4996,
    cf_BAD_PRIV = -4997,
    cf_BAD_NVALUES = -4998,
    cf_BAD_DOMAIN = -4999,
    cf_NOT_FOUND = -5000,
    cf_SHARE_FAILED = -5001
};

/* A configuration table: every variable of one group from all domains, with
 * the group's behaviors. Opaque to C; released with cf_free_table when the
 * caller owns it. */
typedef struct ORVConfigurationTable ORVConfigurationTable;
/* One variable of a table: name, privilege level and ordered values. */
typedef struct ORVConfigurationVariable ORVConfigurationVariable;

ORV_END_DECLS

#endif /* ORVCOMMONKIT_CFDEFS_H */
