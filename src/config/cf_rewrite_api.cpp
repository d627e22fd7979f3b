// The exported saves of configuration tables into domain files.
#include "config/cf_module.h"
#include "config/cf_lock.h"
#include "config/cf_rewrite.h"

#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/tr.h>

#include <cstdint>

namespace {

unsigned long address(const void *pointer) {
    return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(pointer));
}

const char *shown(const char *text) { return text ? text : "(null)"; }

}  // namespace

extern "C" {

ORV_API int cf_save_domain_with_table(ORVConfigurationTable *table, int domain,
                                      const char *group) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_LOW, "cf_save_domain_with_table ( %#lx, , %s, \"%s\" ) called",
             address(table), cf::domain_name(domain), shown(group));
    const int status = cf::save_domain_with_table(table, domain, group, false);
    tr_trace(__FILE__, __LINE__, tr_LOW, "cf_save_domain_with_table () returns %d", status);
    return status;
}

ORV_API int cf_save_domain_with_table_and_user(ORVConfigurationTable *table, const char *user,
                                               const char *user_domain, int domain,
                                               const char *group) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_LOW,
             "cf_save_domain_with_table_and_user ( %#lx, \"%s\", \"%s\", %s, \"%s\" ) called",
             address(table), shown(user), shown(user_domain), cf::domain_name(domain),
             shown(group));
    int status;
    {
        cf::ScopedUser scoped(user, user_domain);
        status = cf::save_domain_with_table(table, domain, group, false);
    }
    tr_trace(__FILE__, __LINE__, tr_LOW, "cf_save_domain_with_table_and_user () returns %d",
             status);
    return status;
}

ORV_API int cf_save_updated_domain_with_table_and_user(ORVConfigurationTable *table,
                                                       const char *user,
                                                       const char *user_domain, int domain,
                                                       const char *group) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_LOW,
             "cf_save_updated_domain_with_table_and_user ( %#lx, \"%s\", \"%s\", %s, \"%s\" ) "
             "called",
             address(table), shown(user), shown(user_domain), cf::domain_name(domain),
             shown(group));
    int status;
    {
        cf::ScopedUser scoped(user, user_domain);
        status = cf::save_domain_with_table(table, domain, group, true);
    }
    tr_trace(__FILE__, __LINE__, tr_LOW,
             "cf_save_updated_domain_with_table_and_user () returns %d", status);
    return status;
}

ORV_API int cf_save_entire_table(ORVConfigurationTable *table, int domain, const char *group) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_LOW, "cf_save_entire_table( %#lx, %s, \"%s\" ) called",
             address(table), cf::domain_name(domain), shown(group));
    if (domain == cf_DOMAIN_ALL) domain = cf_DOMAIN_USER;
    if (static_cast<unsigned>(domain) > cf_DOMAIN_USER) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "BAD_DOMAIN", "cf",
                 "Invalid domain: %d.", domain);
        return cf_BAD_DOMAIN;
    }
    int result = 0;
    for (int d = domain; d >= cf_DOMAIN_SYS; --d) {
        const int status = cf::save_domain_with_table(table, d, group, false);
        if (status != 0) result = status;
    }
    return result;
}

}  // extern "C"
