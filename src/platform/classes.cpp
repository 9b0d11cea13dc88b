// The object model: class names for messages, the copy protocol of TPersistent and the
// ownership rules of TComponent.
#include "xan/platform/classes.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>

#include "xan/platform/exceptions.h"

#if defined(__GNUC__) || defined(__clang__)
#include <cxxabi.h>
#endif

namespace xan {

TObject::~TObject() = default;

String TObject::ClassName() const {
  std::string name = typeid(*this).name();
#if defined(__GNUC__) || defined(__clang__)
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), std::free);
  if (status == 0 && demangled) name = demangled.get();
#endif
  // Keep the last component of a qualified name: "xan::TStringArray" => "TStringArray".
  if (const auto colon = name.rfind("::"); colon != std::string::npos) name.erase(0, colon + 2);
  return FromUtf8(name);
}

TPersistent::~TPersistent() = default;

void TPersistent::Assign(const TPersistent& Source) {
  Source.AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& Dest) const {
  throw EConvertError(u"Cannot assign a " + ClassName() + u" to a " + Dest.ClassName());
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Owned components go first, newest first; each one's destructor takes it off our list.
  while (!FComponents.empty()) delete FComponents.back();
  if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

void TComponent::SetName(const String& Value) {
  FName = Value;
}

TComponent* TComponent::Components(int32_t Index) const noexcept {
  if (Index < 0 || Index >= ComponentCount()) return nullptr;
  return FComponents[static_cast<size_t>(Index)];
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent->FOwner == this) return;
  // An object cannot own itself or one of its owners: that would delete it twice.
  for (const TComponent* c = this; c != nullptr; c = c->FOwner) {
    if (c == AComponent) return;
  }
  if (AComponent->FOwner != nullptr) AComponent->FOwner->RemoveComponent(AComponent);
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent->FOwner != this) return;
  FComponents.erase(std::find(FComponents.begin(), FComponents.end(), AComponent));
  AComponent->FOwner = nullptr;
}

String TComponent::ComponentMessage(StringView Reason) const {
  String s = u"Component \"";
  s += FName;
  s += u"\": ";
  s += Reason;
  return s;
}

}  // namespace xan
