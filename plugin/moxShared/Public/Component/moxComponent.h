#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

// A small component model: components with a name, a tag, an owner that frees
// them, and per-class tables of published properties that the settings store
// and the translator read and write by name.

// StringList: 8-bit text lines. Object: an object the component keeps, changed
// in place rather than replaced, so such a property has no setter.
enum class TPropertyType { Boolean, Integer, Double, String, StringList, Object };

class TComponent;
class TPersistent;

// A published property's value; the alternative always matches the property's
// type. An object property's value may be null.
using TPropertyValue =
    std::variant<bool, int32_t, double, std::string, std::vector<std::string>, TPersistent*>;

// One published property. A property without a setter is read-only.
struct TPropertyInfo {
  std::string Name;
  TPropertyType Type;
  std::function<TPropertyValue(const TComponent&)> Get;
  std::function<void(TComponent&, const TPropertyValue&)> Set;
};

// The published properties of one class; a class also has those of its parent.
class TClassInfo {
 public:
  TClassInfo(std::string className, const TClassInfo* parent,
             std::vector<TPropertyInfo> properties);

  const std::string& ClassName() const { return className_; }
  const TClassInfo* Parent() const { return parent_; }
  // Every property of the class, those of the parent classes first, in declaration order.
  std::vector<const TPropertyInfo*> Properties() const;
  // Looks a property up by name without regard to ASCII case; nullptr when there is none.
  const TPropertyInfo* FindProperty(std::string_view name) const;
  bool InheritsFrom(const TClassInfo& other) const;

 private:
  std::string className_;
  const TClassInfo* parent_;
  std::vector<TPropertyInfo> properties_;
};

// The base of components and of the objects a property can hold: its class
// tells the translator what kind of object it meets.
class TPersistent {
 public:
  TPersistent() = default;
  virtual ~TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;

  virtual const TClassInfo& ClassInfo() const = 0;
};

// The object as class T when it belongs to T's class; nullptr otherwise.
template <class T>
T* ObjectAs(TPersistent* object) {
  if (object == nullptr || !object->ClassInfo().InheritsFrom(T::StaticClassInfo())) return nullptr;
  return static_cast<T*>(object);
}

// The base of every component. A component frees the components it owns when it
// is destroyed; a component that is destroyed first leaves its owner's list.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // Publishes Name and Tag.
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Component(int index) const { return components_.at(static_cast<size_t>(index)); }

  std::string Name;
  int32_t Tag = 0;

 private:
  TComponent* owner_;
  std::vector<TComponent*> components_;
};

template <class T>
constexpr TPropertyType PropertyTypeOf() {
  if constexpr (std::is_same_v<T, bool>) {
    return TPropertyType::Boolean;
  } else if constexpr (std::is_same_v<T, int32_t>) {
    return TPropertyType::Integer;
  } else if constexpr (std::is_same_v<T, double>) {
    return TPropertyType::Double;
  } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
    return TPropertyType::StringList;
  } else {
    static_assert(std::is_same_v<T, std::string>, "not a published property type");
    return TPropertyType::String;
  }
}

// A property that reads and writes a field of class C directly.
template <class C, class T>
TPropertyInfo PublishedField(std::string name, T C::*field) {
  return {std::move(name), PropertyTypeOf<T>(),
          [field](const TComponent& object) {
            return TPropertyValue(static_cast<const C&>(object).*field);
          },
          [field](TComponent& object, const TPropertyValue& value) {
            static_cast<C&>(object).*field = std::get<T>(value);
          }};
}

// A property with accessor methods of class C; without a setter it is read-only.
template <class C, class T, class A = T>
TPropertyInfo PublishedProperty(std::string name, T (C::*getter)() const,
                                void (C::*setter)(A) = nullptr) {
  static_assert(std::is_same_v<std::decay_t<A>, T>, "getter and setter types differ");
  TPropertyInfo info{std::move(name), PropertyTypeOf<T>(),
                     [getter](const TComponent& object) {
                       return TPropertyValue((static_cast<const C&>(object).*getter)());
                     },
                     nullptr};
  if (setter != nullptr) {
    info.Set = [setter](TComponent& object, const TPropertyValue& value) {
      (static_cast<C&>(object).*setter)(std::get<T>(value));
    };
  }
  return info;
}

// An object property reading a pointer field of class C (which may be null).
template <class C, class T>
TPropertyInfo PublishedObject(std::string name, T* C::*field) {
  static_assert(std::is_base_of_v<TPersistent, T>, "not a published object class");
  return {std::move(name), TPropertyType::Object,
          [field](const TComponent& object) {
            return TPropertyValue(std::in_place_type<TPersistent*>,
                                  static_cast<const C&>(object).*field);
          },
          nullptr};
}
