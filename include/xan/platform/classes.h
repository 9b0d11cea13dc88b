// The object model of the library: TObject, the copyable TPersistent and the owned, named
// TComponent, with the change callback TNotifyEvent.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"

namespace xan {

// Root of the class tree. Objects are not copied by value: copying goes through Assign.
class XAN_EXPORT TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject();

  // The class name without namespace, as used in messages: u"TStringArray".
  String ClassName() const;
};

// The change notification: Sender is the object that changed. An empty callback is not called.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// A copyable object.
//
// Assign(Source) copies the complete state of Source when Source is an instance of the object's
// own class or of a class derived from it. Each class does that in its override and passes any
// other source to TPersistent::Assign, the base behaviour, which asks the source to copy itself
// (Source.AssignTo(*this)). AssignTo(Dest) is the mirror: an override calls Dest.Assign(*this)
// when the object is an instance of Dest's class or of a class derived from it and passes other
// destinations to TPersistent::AssignTo, which raises EConvertError
// ("Cannot assign a TFoo to a TBar"). Assign does not fire OnChange.
class XAN_EXPORT TPersistent : public TObject {
 public:
  ~TPersistent() override;
  virtual void Assign(const TPersistent& Source);
  virtual void AssignTo(TPersistent& Dest) const;
};

// An owned, named object. A component created with an owner is deleted by that owner's
// destructor (so it must live on the heap); a component deleted first leaves its owner's list.
// Without an owner the caller owns it (on the stack or in a std::unique_ptr).
class XAN_EXPORT TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner = nullptr);
  ~TComponent() override;

  TComponent* Owner() const noexcept { return FOwner; }
  const String& Name() const noexcept { return FName; }
  virtual void SetName(const String& Value);

  // The components this one owns, in the order they were created (index 0..ComponentCount-1).
  int32_t ComponentCount() const noexcept { return static_cast<int32_t>(FComponents.size()); }
  TComponent* Components(int32_t Index) const noexcept;

  // Takes AComponent over from its current owner (if any); it is then deleted with this one.
  void InsertComponent(TComponent* AComponent);
  // Gives up ownership of AComponent; the caller owns it afterwards.
  void RemoveComponent(TComponent* AComponent);

  // The text of an error message about this component:
  // "Component \"" + Name + "\": " + Reason.
  String ComponentMessage(StringView Reason) const;

 private:
  TComponent* FOwner = nullptr;
  String FName;
  std::vector<TComponent*> FComponents;
};

}  // namespace xan
