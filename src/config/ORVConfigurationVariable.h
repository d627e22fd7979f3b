// ORVConfigurationVariable: one variable of a configuration group in one
// domain -- its name as written, the privilege level needed to change it and
// its values in file order. Values are stored exactly as read; expansion
// happens at lookup time only.
//
// A variable is a reference-counted platform object. Tables keep their
// variables in flat storage and make these objects only for callers that ask
// for one; a variable object is a copy, and storing it in a table copies it
// again.
#pragma once

#include <ORVCommonKit/cfdefs.h>

#include "platform/object.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ORVConfigurationVariable : ORVObject {
    using Values = std::vector<std::string>;

    // An empty variable: no name, no level, no values, not new.
    ORVConfigurationVariable() = default;
    // A variable with the given fields; myIsNew is false. A missing
    // permission or value list stays missing (lookups report it).
    ORVConfigurationVariable(std::string name, std::optional<int> permission,
                             std::optional<Values> values);

    // A new variable (the caller holds the only reference).
    static orv::Ref<ORVConfigurationVariable> variableWithName(std::string name,
                                                               std::optional<int> permission,
                                                               std::optional<Values> values);

    void setName(std::string name) { myName = std::move(name); }
    void setPermission(std::optional<int> permission) noexcept { myPermission = permission; }
    void setValues(std::optional<Values> values) { myValues = std::move(values); }
    void setIsNew(bool flag) noexcept { myIsNew = flag; }
    const std::string &name() const noexcept { return myName; }
    const std::optional<int> &permission() const noexcept { return myPermission; }
    // The stored values, or null when the variable has no value list.
    const Values *values() const noexcept { return myValues ? &*myValues : nullptr; }
    bool isNew() const noexcept { return myIsNew; }

    // "'name' permission (values)", each field in its platform description;
    // a missing field shows as "(null)".
    void describeTo(std::string &out, int indent) const override;
    // The platform description of a value list, for traces.
    static std::string describeValues(const Values &values);

    // The archived form: a dictionary holding "name", "permission" (integer),
    // "values" (array of strings) and "isNew" (boolean); missing fields are
    // left out. fromArchive gives null, with a reason, for anything that is
    // not exactly of that shape.
    orv::Ref<ORVObject> archiveObject() const;
    static orv::Ref<ORVConfigurationVariable> fromArchive(const ORVObject *object,
                                                          std::string *error = nullptr);

private:
    std::string myName;
    std::optional<int> myPermission;
    std::optional<Values> myValues;
    bool myIsNew = false;
};
