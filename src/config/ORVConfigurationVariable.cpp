// ORVConfigurationVariable: construction, description and the archived form.
#include "config/ORVConfigurationVariable.h"

#include "platform/objects.h"

#include <climits>

ORVConfigurationVariable::ORVConfigurationVariable(std::string name,
                                                   std::optional<int> permission,
                                                   std::optional<Values> values)
    : myName(std::move(name)), myPermission(permission), myValues(std::move(values)) {}

orv::Ref<ORVConfigurationVariable> ORVConfigurationVariable::variableWithName(
    std::string name, std::optional<int> permission, std::optional<Values> values) {
    return orv::make<ORVConfigurationVariable>(std::move(name), permission, std::move(values));
}

std::string ORVConfigurationVariable::describeValues(const Values &values) {
    ORVArray array;
    array.items.reserve(values.size());
    for (const auto &v : values) array.add(v);
    return array.description();
}

void ORVConfigurationVariable::describeTo(std::string &out, int indent) const {
    out += '\'';
    out += myName;
    out += "' ";
    if (myPermission)
        ORVNumber(*myPermission).describeTo(out, indent);
    else
        out += "(null)";
    out += ' ';
    if (myValues) {
        ORVArray array;
        for (const auto &v : *myValues) array.add(v);
        array.describeTo(out, indent);
    } else {
        out += "(null)";
    }
}

orv::Ref<ORVObject> ORVConfigurationVariable::archiveObject() const {
    auto dict = orv::make<ORVDictionary>();
    dict->setString(myName, "name");
    if (myPermission) dict->setObject(orv::make<ORVNumber>(*myPermission).get(), "permission");
    if (myValues) {
        auto array = orv::make<ORVArray>();
        array->items.reserve(myValues->size());
        for (const auto &v : *myValues) array->add(v);
        dict->setObject(array.get(), "values");
    }
    dict->setObject(orv::make<ORVNumber>(myIsNew).get(), "isNew");
    return dict;
}

namespace {

bool fail(std::string *error, const char *why) {
    if (error) *error = why;
    return false;
}

}  // namespace

orv::Ref<ORVConfigurationVariable> ORVConfigurationVariable::fromArchive(const ORVObject *object,
                                                                         std::string *error) {
    const auto *dict = orv::as<ORVDictionary>(object);
    if (!dict) return fail(error, "variable is not a dictionary"), nullptr;
    for (const auto &[key, value] : dict->entries()) {
        const auto *k = orv::as<ORVString>(key.get());
        if (!k || (k->value != "name" && k->value != "permission" && k->value != "values" &&
                   k->value != "isNew"))
            return fail(error, "variable has an unknown field"), nullptr;
    }
    const ORVString *name = dict->stringForKey("name");
    if (!name) return fail(error, "variable without a name"), nullptr;

    std::optional<int> permission;
    if (const ORVObject *p = dict->objectForKey("permission")) {
        const auto *n = orv::as<ORVNumber>(p);
        if (!n || n->type != ORVNumber::Type::Integer || n->integer < INT_MIN ||
            n->integer > INT_MAX)
            return fail(error, "variable permission is not an integer"), nullptr;
        permission = static_cast<int>(n->integer);
    }

    std::optional<Values> values;
    if (const ORVObject *v = dict->objectForKey("values")) {
        const auto *array = orv::as<ORVArray>(v);
        if (!array) return fail(error, "variable values are not a list"), nullptr;
        values.emplace();
        values->reserve(array->count());
        for (const auto &item : array->items) {
            const auto *s = orv::as<ORVString>(item.get());
            if (!s) return fail(error, "variable value is not a string"), nullptr;
            values->push_back(s->value);
        }
    }

    bool isNew = false;
    if (const ORVObject *f = dict->objectForKey("isNew")) {
        const auto *n = orv::as<ORVNumber>(f);
        if (!n || n->type != ORVNumber::Type::Boolean)
            return fail(error, "variable flag is not a boolean"), nullptr;
        isNew = n->boolValue();
    }

    auto variable = variableWithName(name->value, permission, std::move(values));
    variable->setIsNew(isNew);
    return variable;
}
