/*
 * Platform objects seen through the C interface.
 *
 * Functions that take or return platform objects (strings, bundles, release
 * pools, data, dictionaries, arrays, calendar dates) use pointers to these
 * types. C sees incomplete structs; inside the library they are the classes of
 * the platform layer. Objects are reference counted: what a function says it
 * hands out is released with orv_object_release; a "temporary" object lives
 * until the innermost release pool of the calling thread is released.
 */
#ifndef ORVCOMMONKIT_ORVOBJECTS_H
#define ORVCOMMONKIT_ORVOBJECTS_H

#include <ORVCommonKit/orvexport.h>

#include <stddef.h>

ORV_BEGIN_DECLS

typedef struct ORVObject ORVObject;
typedef struct ORVString ORVString;
typedef struct ORVNumber ORVNumber;
typedef struct ORVData ORVData;
typedef struct ORVArray ORVArray;
typedef struct ORVDictionary ORVDictionary;
typedef struct ORVBundle ORVBundle;
typedef struct ORVAutoreleasePool ORVAutoreleasePool;
typedef struct ORVCalendarDate ORVCalendarDate;

ORV_END_DECLS

#endif /* ORVCOMMONKIT_ORVOBJECTS_H */
