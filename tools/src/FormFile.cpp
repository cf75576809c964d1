#include "FormFile.h"

#include <nlohmann/json.hpp>
#include <variant>
#include <zoZezo/Exception.h>

namespace zezo {
namespace {

using json = nlohmann::ordered_json;

zoZezo::TPropertyValue ToValue(const std::string& Name, const json& Value) {
    if (Value.is_boolean()) return Value.get<bool>();
    if (Value.is_number_integer()) return Value.get<std::int64_t>();
    if (Value.is_string()) return Value.get<std::string>();
    throw zoZezo::Exception("Property \"" + Name + "\" has a value of the wrong type");
}

} // namespace

std::string SaveForm(const zoZezo::TComponent& Component) {
    json Properties = json::object();
    for (const auto& [Name, Value] : Component.StoredProperties())
        std::visit([&, &Name = Name](const auto& V) { Properties[Name] = V; }, Value);
    const json Form = {{"class", Component.ClassName()}, {"properties", Properties}};
    return Form.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

void LoadForm(zoZezo::TComponent& Component, std::string_view Text) {
    const json Form = json::parse(Text, nullptr, false);
    if (Form.is_discarded() || !Form.is_object()) throw zoZezo::Exception("not a JSON form");
    const auto Class = Form.find("class");
    if (Class == Form.end() || *Class != Component.ClassName())
        throw zoZezo::Exception(std::string("not the form of a ") + Component.ClassName());
    const auto Properties = Form.find("properties");
    if (Properties == Form.end()) return;
    if (!Properties->is_object()) throw zoZezo::Exception("\"properties\" is not an object");
    zoZezo::TPropertyList Values;
    for (const auto& [Name, Value] : Properties->items())
        Values.emplace_back(Name, ToValue(Name, Value));
    Component.LoadProperties(Values);
}

} // namespace zezo
