#include "zoZezo/Form.h"

#include "zoZezo/Exception.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

namespace zoZezo {
namespace {

// Keys keep the order in which they are written: properties stand in declaration order.
using Json = nlohmann::ordered_json;

// Every message names where the form came from: "form" for text, "form file PATH" for a file.
[[noreturn]] void Fail(std::string_view Where, const std::string& Message) {
    throw Exception(std::string(Where) + ": " + Message);
}

// Built up in place: "\"" + std::string(Text) + "\"" trips a false -Wrestrict of g++ 12 at -O3.
std::string Quoted(std::string_view Text) {
    std::string Result;
    Result.reserve(Text.size() + 2);
    Result += '"';
    Result += Text;
    Result += '"';
    return Result;
}

const char* TypeName(const TPropertyValue& Value) {
    switch (Value.index()) {
    case 0: return "a boolean";
    case 1: return "an integer";
    default: return "a string";
    }
}

// What a JSON value is, for messages.
std::string Describe(const Json& Value) {
    if (Value.is_null()) return "null";
    if (Value.is_number_float()) return "a fraction";
    if (Value.is_array() || Value.is_object()) return std::string("an ") + Value.type_name();
    return std::string("a ") + Value.type_name();
}

// nlohmann/json writes UTF-8 only; a text that is not UTF-8 is refused with its name.
void RequireUtf8(std::string_view Where, const std::string& What, const std::string& Text) {
    try {
        (void)Json(Text).dump();
    } catch (const Json::type_error&) {
        Fail(Where, What + " holds bytes that are not UTF-8 text");
    }
}

Json ToJson(std::string_view Where, const std::string& Name, const TPropertyValue& Value) {
    if (const auto* Flag = std::get_if<bool>(&Value)) return *Flag;
    if (const auto* Number = std::get_if<std::int64_t>(&Value)) return *Number;
    const auto& Text = std::get<std::string>(Value);
    RequireUtf8(Where, "property " + Quoted(Name), Text);
    return Text;
}

// Converts a JSON value to the type of the property's default, or throws.
TPropertyValue FromJson(std::string_view Where, const std::string& Name, const Json& Value,
                        const TPropertyValue& Default) {
    switch (Default.index()) {
    case 0:
        if (Value.is_boolean()) return Value.get<bool>();
        break;
    case 1:
        if (Value.is_number_unsigned() &&
            Value.get<std::uint64_t>() >
                static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            Fail(Where, "property " + Quoted(Name) + " is out of range");
        if (Value.is_number_integer()) return Value.get<std::int64_t>();
        break;
    default:
        if (Value.is_string()) return Value.get<std::string>();
        break;
    }
    Fail(Where,
         "property " + Quoted(Name) + " takes " + TypeName(Default) + ", not " + Describe(Value));
}

// Parses the text, refusing a key given twice in one object (the parser would keep one).
Json Parse(std::string_view Where, std::string_view Text) {
    std::vector<std::set<std::string>> Keys; // those of each object being read
    std::string Duplicate;
    const auto Watch = [&](int, Json::parse_event_t Event, Json& Parsed) {
        if (Event == Json::parse_event_t::object_start) Keys.emplace_back();
        if (Event == Json::parse_event_t::object_end) Keys.pop_back();
        if (Event == Json::parse_event_t::key &&
            !Keys.back().insert(Parsed.get<std::string>()).second && Duplicate.empty())
            Duplicate = Parsed.get<std::string>();
        return true;
    };
    Json Form;
    try {
        Form = Json::parse(Text.begin(), Text.end(), Watch);
    } catch (const Json::parse_error& Error) {
        // Drop the library's "[json.exception.parse_error.101] " prefix.
        std::string Message = Error.what();
        if (const auto End = Message.find("] "); Message.starts_with("[") && End != Message.npos)
            Message.erase(0, End + 2);
        Fail(Where, "malformed JSON: " + Message);
    }
    if (!Duplicate.empty()) Fail(Where, "the key " + Quoted(Duplicate) + " is given twice");
    return Form;
}

std::string Save(std::string_view Where, const TComponent& Component) {
    Json Form = Json::object();
    Form["class"] = Component.ClassName();
    if (!Component.Name.empty()) {
        RequireUtf8(Where, "the name", Component.Name);
        Form["name"] = Component.Name;
    }
    Json Properties = Json::object();
    for (const auto& [Name, Value] : Component.StoredProperties())
        Properties[Name] = ToJson(Where, Name, Value);
    Form["properties"] = std::move(Properties);
    return Form.dump(2);
}

void Load(std::string_view Where, TComponent& Component, std::string_view Text) {
    // Read and check everything first; the component is touched only when all is well.
    const Json Form = Parse(Where, Text);
    if (!Form.is_object()) Fail(Where, "expected a JSON object, found " + Describe(Form));
    for (const auto& [Key, Value] : Form.items())
        if (Key != "class" && Key != "name" && Key != "properties")
            Fail(Where, "unknown key " + Quoted(Key) +
                            " (a form has \"class\", \"name\" and \"properties\")");

    const auto Class = Form.find("class");
    if (Class == Form.end()) Fail(Where, "the form names no \"class\"");
    if (!Class->is_string()) Fail(Where, "\"class\" must be a string");
    if (Class->get<std::string>() != Component.ClassName())
        Fail(Where, "the form describes a " + Class->get<std::string>() + ", not a " +
                        Component.ClassName());

    std::string Name;
    if (const auto Found = Form.find("name"); Found != Form.end()) {
        if (!Found->is_string()) Fail(Where, "\"name\" must be a string");
        Name = Found->get<std::string>();
    }

    // Every published property: the form's value, or the declared default.
    const auto& Published = Component.Properties();
    TPropertyList Values, Previous;
    for (const auto& Info : Published) {
        Values.emplace_back(Info.Name, Info.Default);
        Previous.emplace_back(Info.Name, Info.Get());
    }
    if (const auto Found = Form.find("properties"); Found != Form.end()) {
        if (!Found->is_object()) Fail(Where, "\"properties\" must be a JSON object");
        for (const auto& [Key, Value] : Found->items()) {
            std::size_t I = 0;
            while (I < Published.size() && Published[I].Name != Key)
                ++I;
            if (I == Published.size())
                Fail(Where, std::string(Component.ClassName()) + " has no property " + Quoted(Key));
            Values[I].second = FromJson(Where, Key, Value, Published[I].Default);
        }
    }

    // A property may still refuse a value of the right type (a syntax character of two
    // characters, say); then the values that were set already are put back.
    try {
        Component.LoadProperties(Values);
    } catch (const Exception& Error) {
        try {
            Component.LoadProperties(Previous);
        } catch (const Exception&) {
            // the previous values were the component's own; nothing more can be done
        }
        Fail(Where, Error.Message());
    }
    Component.Name = std::move(Name);
}

std::string FileWhere(const std::filesystem::path& Path) {
    return "form file " + Path.string();
}

} // namespace

std::string SaveForm(const TComponent& Component) {
    return Save("form", Component);
}

void LoadForm(TComponent& Component, std::string_view Json) {
    Load("form", Component, Json);
}

void SaveFormFile(const TComponent& Component, const std::filesystem::path& Path) {
    const std::string Where = FileWhere(Path);
    const std::string Text = Save(Where, Component) + "\n"; // before the file is truncated
    std::ofstream File(Path, std::ios::binary | std::ios::trunc);
    if (!File) Fail(Where, std::string("cannot be written: ") + std::strerror(errno));
    File << Text;
    File.close();
    if (!File) Fail(Where, std::string("cannot be written: ") + std::strerror(errno));
}

void LoadFormFile(TComponent& Component, const std::filesystem::path& Path) {
    const std::string Where = FileWhere(Path);
    std::ifstream File(Path, std::ios::binary);
    if (!File) Fail(Where, std::string("cannot be read: ") + std::strerror(errno));
    std::ostringstream Text;
    Text << File.rdbuf();
    if (File.bad()) Fail(Where, std::string("cannot be read: ") + std::strerror(errno));
    Load(Where, Component, Text.view());
}

} // namespace zoZezo
