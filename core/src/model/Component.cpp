#include "zoZezo/Component.h"

#include "zoZezo/Exception.h"

#include <algorithm>

namespace zoZezo {

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
    if (FOwner) FOwner->FComponents.push_back(this);
}

TComponent::~TComponent() {
    while (!FFreeNotifies.empty()) {
        auto* Receiver = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        std::erase(Receiver->FFreeNotifies, this);
        Receiver->Notification(this);
    }
    while (!FComponents.empty())
        delete FComponents.back();
    if (FOwner) std::erase(FOwner->FComponents, this);
}

void TComponent::FreeNotification(TComponent* Receiver) {
    if (!Receiver || Receiver == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), Receiver) != FFreeNotifies.end())
        return;
    FFreeNotifies.push_back(Receiver);
    Receiver->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* Receiver) {
    if (!Receiver) return;
    std::erase(FFreeNotifies, Receiver);
    std::erase(Receiver->FFreeNotifies, this);
}

void TComponent::Notification(TComponent*) {}

TPropertyList TComponent::StoredProperties() const {
    TPropertyList Stored;
    for (const auto& Info : FProperties)
        if (auto Value = Info.Get(); Value != Info.Default) Stored.emplace_back(Info.Name, Value);
    return Stored;
}

void TComponent::LoadProperties(const TPropertyList& Values) {
    for (const auto& [Name, Value] : Values) {
        auto Info =
            std::find_if(FProperties.begin(), FProperties.end(),
                         [&Wanted = Name](const TPropertyInfo& I) { return I.Name == Wanted; });
        if (Info == FProperties.end())
            throw Exception(std::string(ClassName()) + " has no property \"" + Name + "\"");
        if (Value.index() != Info->Default.index())
            throw Exception("Property \"" + Name + "\" has a value of the wrong type");
        Info->Set(Value);
    }
}

void TComponent::Publish(TPropertyInfo Info) {
    FProperties.push_back(std::move(Info));
}

void TComponent::PublishChar(std::string Name, char& Field, char Default) {
    auto Set = [&Field, Name](const TPropertyValue& Value) {
        const auto& Text = std::get<std::string>(Value);
        if (Text.size() != 1)
            throw Exception("Property \"" + Name + "\" takes exactly one character");
        Field = Text.front();
    };
    Publish({Name, [&Field] { return TPropertyValue(std::string(1, Field)); }, Set,
             TPropertyValue(std::string(1, Default))});
}

} // namespace zoZezo
