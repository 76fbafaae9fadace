#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "moxShared/Public/Component/moxComponent.h"

// What adding a line that a sorted list already holds does.
enum TDuplicates { dupIgnore, dupAccept, dupError };

// A string holder's input that cannot be taken (a malformed stored form, a
// refused duplicate, a capacity below the line count).
class EmoxStrHolder : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The form in which a holder is kept in a module's form resource: the version
// (2) and the key followed by every line as lower-case hexadecimal pairs of its
// UTF-8 bytes, each byte combined by exclusive-or with the key's UTF-8 bytes.
struct TmoxStrHolderStoredForm {
  int32_t InternalVer = 0;
  std::vector<std::string> StrData;
};

// A component that owns one list of lines, such as a property map. OnChanging
// and OnChange are raised before and after every change of the list, except
// while the holder is read from its stored form.
class TmoxStrHolder : public TComponent {
 public:
  static constexpr int32_t kStoredFormVersion = 2;
  using TNotifyEvent = std::function<void(TmoxStrHolder&)>;

  using TComponent::TComponent;

  // Publishes Capacity, Duplicates, KeyString and Sorted.
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  const std::vector<std::string>& Strings() const { return lines_; }
  // Replaces every line; a refused duplicate leaves the list as it was.
  void SetStrings(const std::vector<std::string>& lines);
  // Appends a line, or inserts it in order when Sorted.
  void Add(const std::string& line);

  int32_t Capacity() const;
  void SetCapacity(int32_t capacity);
  int32_t Duplicates() const { return duplicates_; }
  void SetDuplicates(int32_t duplicates);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);

  TmoxStrHolderStoredForm WriteStoredForm() const;
  // Takes key and lines from a stored form; throws EmoxStrHolder and keeps the
  // current lines when the form is malformed.
  void ReadStoredForm(const TmoxStrHolderStoredForm& form);

  std::string KeyString;
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 private:
  // Builds the list that adding `lines` to `base` gives under the current
  // order and duplicate rules.
  std::vector<std::string> Merged(std::vector<std::string> base,
                                  const std::vector<std::string>& lines) const;
  void Replace(std::vector<std::string> lines);

  std::vector<std::string> lines_;
  int32_t capacity_ = 0;
  int32_t duplicates_ = dupIgnore;
  bool sorted_ = false;
  bool reading_ = false;
};
