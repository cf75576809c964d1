#pragma once

// Form files: a component's published properties as JSON, the way a form designer stores
// them. Only the properties that differ from their declared defaults are written, e.g.
//
//     {"class": "TzoZezoEvaluator", "name": "Evaluator1", "properties": {"CloseComment": "{"}}
//
// "name" is written only when the component's Name is not empty. A property value is a JSON
// string, integer or boolean, after the property's type.

#include "zoZezo/Component.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace zoZezo {

// The component as a form file (UTF-8 JSON, indented, without a final newline).
// Throws Exception when a text property holds bytes that are not UTF-8.
std::string SaveForm(const TComponent& Component);

// Gives the component the state that Json describes: the class must be the component's
// ClassName(); every property that Json lists takes its value, every other published property
// its default, and Name the "name" given (empty when there is none).
// Throws Exception, and leaves the component unchanged, on malformed JSON, a wrong class, an
// unknown key or property, a value of the wrong type, or a value the property refuses.
void LoadForm(TComponent& Component, std::string_view Json);

// SaveForm into a file (replacing it, with a final newline); throws Exception when the file
// cannot be written.
void SaveFormFile(const TComponent& Component, const std::filesystem::path& Path);

// LoadForm from a file; throws Exception when it cannot be read, and as LoadForm does.
void LoadFormFile(TComponent& Component, const std::filesystem::path& Path);

} // namespace zoZezo
