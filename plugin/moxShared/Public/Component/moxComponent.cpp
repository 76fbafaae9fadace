#include "moxShared/Public/Component/moxComponent.h"

#include <algorithm>
#include <utility>

namespace {

bool SameTextAscii(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

TClassInfo::TClassInfo(std::string className, const TClassInfo* parent,
                       std::vector<TPropertyInfo> properties)
    : className_(std::move(className)), parent_(parent), properties_(std::move(properties)) {}

std::vector<const TPropertyInfo*> TClassInfo::Properties() const {
  std::vector<const TPropertyInfo*> result;
  if (parent_ != nullptr) result = parent_->Properties();
  for (const TPropertyInfo& property : properties_) result.push_back(&property);
  return result;
}

const TPropertyInfo* TClassInfo::FindProperty(std::string_view name) const {
  for (const TClassInfo* info = this; info != nullptr; info = info->parent_) {
    for (const TPropertyInfo& property : info->properties_) {
      if (SameTextAscii(property.Name, name)) return &property;
    }
  }
  return nullptr;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
  for (const TClassInfo* info = this; info != nullptr; info = info->parent_) {
    if (info == &other) return true;
  }
  return false;
}

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_ != nullptr) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  // Each owned component removes itself from the list as it goes.
  while (!components_.empty()) delete components_.back();
  if (owner_ != nullptr) {
    auto& siblings = owner_->components_;
    siblings.erase(std::find(siblings.begin(), siblings.end(), this));
  }
}

const TClassInfo& TComponent::StaticClassInfo() {
  static const TClassInfo info(
      "TComponent", nullptr,
      {PublishedField("Name", &TComponent::Name), PublishedField("Tag", &TComponent::Tag)});
  return info;
}
