#pragma once

#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "moxShared/Public/Component/moxComponent.h"

// A list of items a component publishes as one property, such as the columns
// of a list. The collection owns its items; they are components without an
// owner, so that what applies to components (translation) applies to them.
class TCollection : public TPersistent {
 public:
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // Appends an item made from `args`; T is a component class. An item given an
  // owner is refused, as the owner would free it too.
  template <class T, class... Args>
  T& Add(Args&&... args) {
    static_assert(std::is_base_of_v<TComponent, T>, "collection items are components");
    auto item = std::make_unique<T>(std::forward<Args>(args)...);
    if (item->Owner() != nullptr) throw std::invalid_argument("a collection item has an owner");
    T& added = *item;
    items_.push_back(std::move(item));
    return added;
  }
  int Count() const { return static_cast<int>(items_.size()); }
  TComponent& Item(int index) const { return *items_.at(static_cast<size_t>(index)); }

 private:
  std::vector<std::unique_ptr<TComponent>> items_;
};
