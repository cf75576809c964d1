#pragma once

// The JSON form of a component: its class name and the published properties that differ from
// their defaults, e.g. {"class":"TzoZezoEvaluator","properties":{"Imaginary":"i"}}.

#include <string>
#include <string_view>
#include <zoZezo/Component.h>

namespace zezo {

std::string SaveForm(const zoZezo::TComponent& Component);

// Sets the properties that Text names. Throws zoZezo::Exception when Text is not such a form,
// is the form of another class, or names a property the component refuses.
void LoadForm(zoZezo::TComponent& Component, std::string_view Text);

} // namespace zezo
