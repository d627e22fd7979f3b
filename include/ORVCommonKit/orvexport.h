/*
 * Export and linkage macros shared by every public header of ORVCommonKit.
 *
 * ORV_API marks a function as part of the published interface: only functions
 * carrying it leave the shared library. ORV_BEGIN_DECLS / ORV_END_DECLS give
 * every declaration C linkage when the header is read by a C++ compiler.
 */
#ifndef ORVCOMMONKIT_ORVEXPORT_H
#define ORVCOMMONKIT_ORVEXPORT_H

#if defined(__GNUC__) || defined(__clang__)
#define ORV_API __attribute__((visibility("default")))
#define ORV_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
#else
#define ORV_API
#define ORV_PRINTF(fmt_index, first_arg)
#endif

#ifdef __cplusplus
#define ORV_BEGIN_DECLS extern "C" {
#define ORV_END_DECLS }
#else
#define ORV_BEGIN_DECLS
#define ORV_END_DECLS
#endif

#endif /* ORVCOMMONKIT_ORVEXPORT_H */
