#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace zoZezo {

// The value of a published property: a flag, a whole number or a text
// (a syntax character is a text of one character).
using TPropertyValue = std::variant<bool, std::int64_t, std::string>;

// One published property: how to read and write it, and its declared default.
struct TPropertyInfo {
    std::string Name;
    std::function<TPropertyValue()> Get;
    std::function<void(const TPropertyValue&)> Set; // throws Exception on a value it refuses
    TPropertyValue Default;
};

// Property values in declaration order, as a form file stores them.
using TPropertyList = std::vector<std::pair<std::string, TPropertyValue>>;

// Base of the package's components. A component lives as long as its owner: an owner frees
// the components it owns (the last added first), and a component freed first leaves its
// owner's list. Published properties are described once, so that storing a component writes
// just the properties that differ from their defaults.
class TComponent {
public:
    explicit TComponent(TComponent* AOwner = nullptr);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const std::vector<TComponent*>& Components() const { return FComponents; }

    // The component's name in its form; empty for one created in code.
    std::string Name;

    // True while a form designer hosts the component.
    bool Designing() const { return FDesigning; }
    void SetDesigning(bool Value) { FDesigning = Value; }

    // Asks for a notice when this component is destroyed: Receiver's Notification(this) runs
    // then. The link goes both ways, so a receiver destroyed first is also told when the
    // other goes, and neither keeps a pointer to a destroyed component. Adding a receiver
    // twice keeps one link.
    void FreeNotification(TComponent* Receiver);
    // Drops the link that FreeNotification made, in both directions.
    void RemoveFreeNotification(TComponent* Receiver);

    // The published properties, in declaration order.
    const std::vector<TPropertyInfo>& Properties() const { return FProperties; }

    // The class name a form file records.
    virtual const char* ClassName() const { return "TComponent"; }

    // The published properties whose values differ from their defaults.
    TPropertyList StoredProperties() const;

    // Sets the named properties; throws Exception naming an unknown property or a refused value.
    void LoadProperties(const TPropertyList& Values);

protected:
    // AComponent, linked through FreeNotification, is being destroyed: its own destructor
    // has run, so only its address may be used. Does nothing here.
    virtual void Notification(TComponent* AComponent);

    void Publish(TPropertyInfo Info);
    // Publishes a one-character property backed by Field.
    void PublishChar(std::string Name, char& Field, char Default);

private:
    TComponent* FOwner;
    std::vector<TComponent*> FComponents;
    std::vector<TPropertyInfo> FProperties;
    std::vector<TComponent*> FFreeNotifies;
    bool FDesigning = false;
};

} // namespace zoZezo
