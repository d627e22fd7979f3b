/*
 * ORVCommonKit: the common library of the ORV imaging programs.
 *
 * The umbrella header: including it gives every family of the C interface.
 * It compiles as C11 and as C++.
 *
 * Rules that hold across the whole interface:
 *  - strings are zero-terminated bytes in the Windows-1252 code page;
 *  - failures are returned (0 for success, a negative status, or null) and
 *    reported once through the trace facility; nothing is ever thrown;
 *  - what a _create, _new, _dup or _copy function hands out is released by the
 *    matching _free or _term function.
 */
#ifndef ORVCOMMONKIT_ORVCOMMONKIT_H
#define ORVCOMMONKIT_ORVCOMMONKIT_H

#include <ORVCommonKit/orvexport.h>
#include <ORVCommonKit/orvversion.h>
#include <ORVCommonKit/orvobjects.h>
#include <ORVCommonKit/orvlocale.h>
#include <ORVCommonKit/orvopt.h>
#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/choose.h>
#include <ORVCommonKit/input.h>
#include <ORVCommonKit/ll.h>
#include <ORVCommonKit/menu.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/cfshare.h>
#include <ORVCommonKit/cfvalidate.h>
#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/orvstd.h>
#include <ORVCommonKit/orvpostloader.h>
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tk.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/trlog.h>
#include <ORVCommonKit/orvresult.h>
#include <ORVCommonKit/orvqtimer.h>
#include <ORVCommonKit/ut.h>
#include <ORVCommonKit/dt.h>
#include <ORVCommonKit/dtlocale.h>
#include <ORVCommonKit/orvtime.h>
#include <ORVCommonKit/orvhandles.h>
#include <ORVCommonKit/orvdictc.h>

#endif /* ORVCOMMONKIT_ORVCOMMONKIT_H */
