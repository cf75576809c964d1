#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zoZezo {

class TzoZezoEvaluator;

// The count of changes of Evaluator's lists and equations (defined with the evaluator).
std::uint64_t* ChangesOf(TzoZezoEvaluator& Evaluator);

// An ordered list that owns its items. Items are created with the list as their owner (they
// append themselves) and unlink themselves when destroyed, so deleting an item and freeing it
// directly are the same thing. Positions count from 0 and are dense.
template <class Item>
class TOwnedList {
public:
    // A list of AEvaluator's, or of nobody's when it is null. Every item that joins or leaves a
    // list of an evaluator's counts as a change of that evaluator (see ChangesOf), the lists the
    // host makes on it included, so that native code knows when to look at them again.
    explicit TOwnedList(TzoZezoEvaluator* AEvaluator)
        : TOwnedList(AEvaluator, AEvaluator ? ChangesOf(*AEvaluator) : nullptr) {}
    // A list whose changes count in Changes: an equation's parameter table, which belongs to no
    // evaluator, counts with its equation's list.
    TOwnedList(TzoZezoEvaluator* AEvaluator, std::uint64_t* Changes)
        : FEvaluator(AEvaluator), FChanges(Changes) {}
    ~TOwnedList() { Clear(); }
    TOwnedList(const TOwnedList&) = delete;
    TOwnedList& operator=(const TOwnedList&) = delete;

    // The evaluator that owns this list; null for an equation's parameter table.
    TzoZezoEvaluator* Evaluator() const { return FEvaluator; }
    const std::vector<Item*>& Items() const { return FItems; }
    [[nodiscard]] int Count() const { return static_cast<int>(FItems.size()); }

    // The item at I, or null when I is out of range.
    [[nodiscard]] Item* Get(int I) const {
        return InRange(I) ? FItems[static_cast<std::size_t>(I)] : nullptr;
    }

    // Frees the item at I; does nothing when I is out of range.
    void Delete(int I) {
        if (InRange(I)) delete FItems[static_cast<std::size_t>(I)];
    }

    // Frees every item, the last first.
    void Clear() {
        while (!FItems.empty())
            delete FItems.back();
    }

    bool InRange(int I) const { return I >= 0 && I < Count(); }

protected:
    // Called by the items themselves as they are created and destroyed.
    friend Item;
    void Append(Item* I) {
        FItems.push_back(I);
        Changed();
    }
    void Remove(Item* I) {
        auto Found = std::find(FItems.rbegin(), FItems.rend(), I);
        if (Found == FItems.rend()) return;
        FItems.erase(std::next(Found).base());
        Changed();
    }
    // Counts a change of the list, or of an item's part that the count covers (an equation's
    // code).
    void Changed() const {
        if (FChanges) ++*FChanges;
    }

private:
    TzoZezoEvaluator* FEvaluator;
    std::uint64_t* FChanges;
    std::vector<Item*> FItems;
};

} // namespace zoZezo
