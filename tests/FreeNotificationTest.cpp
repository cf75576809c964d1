// Destruction notices between components: whichever of two linked components goes first,
// the other is told once and keeps no pointer to it.
#include "zoZezo/Component.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace zoZezo {
namespace {

class TWatcher : public TComponent {
public:
    using TComponent::TComponent;
    std::vector<TComponent*> Freed;

protected:
    void Notification(TComponent* AComponent) override { Freed.push_back(AComponent); }
};

TEST(FreeNotification, ReceiverHearsOnceWhenTheComponentGoes) {
    TWatcher Watcher;
    auto Watched = std::make_unique<TComponent>();
    const TComponent* Address = Watched.get();
    Watched->FreeNotification(&Watcher);
    Watched->FreeNotification(&Watcher);
    Watched.reset();
    ASSERT_EQ(Watcher.Freed.size(), 1u);
    EXPECT_EQ(Watcher.Freed.front(), Address);
}

TEST(FreeNotification, ReceiverFreedFirstIsForgotten) {
    TComponent Watched;
    auto Watcher = std::make_unique<TWatcher>();
    Watched.FreeNotification(Watcher.get());
    Watcher.reset();
    // Destroying Watched now must not call the freed receiver (ASan reports it).
}

TEST(FreeNotification, RemovedLinkSendsNothing) {
    TWatcher Watcher;
    auto Watched = std::make_unique<TComponent>();
    Watched->FreeNotification(&Watcher);
    Watched->RemoveFreeNotification(&Watcher);
    Watched.reset();
    EXPECT_TRUE(Watcher.Freed.empty());
}

TEST(FreeNotification, ComponentFreedByItsOwnerIsReported) {
    TWatcher Watcher;
    auto Owner = std::make_unique<TComponent>();
    auto* Owned = new TComponent(Owner.get());
    Owned->FreeNotification(&Watcher);
    Owner.reset();
    ASSERT_EQ(Watcher.Freed.size(), 1u);
    EXPECT_EQ(Watcher.Freed.front(), Owned);
}

} // namespace
} // namespace zoZezo
