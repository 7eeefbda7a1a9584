#pragma once

// Classes as the window translation sees them, and the skip rules that name them.

#include <set>
#include <string>

namespace i18n {

// A class of the object-access layer: a name and its base class (none for a root class).
struct TClassInfo {
    std::string Name;
    const TClassInfo* Parent = nullptr;

    // True when this class is `other` or descends from it (identity of the descriptors, not names).
    bool InheritsFrom(const TClassInfo& other) const noexcept;
};

// The base class of every component (an object with a name that owns other components).
const TClassInfo& ComponentClass();
// The base class of every collection (an ordered list of item objects).
const TClassInfo& CollectionClass();

// Properties that translation passes skip on objects of `RuleClass` and of its descendants.
// `IgnoredProperties` holds upper-case names.
struct TClassMode {
    const TClassInfo* RuleClass = nullptr;
    std::set<std::string> IgnoredProperties;
};

}  // namespace i18n
