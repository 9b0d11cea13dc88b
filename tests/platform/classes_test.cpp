// The object model: class names, the Assign/AssignTo protocol and component ownership.
#include "xan/platform/classes.h"

#include <gtest/gtest.h>

#include <memory>

#include "xan/platform/exceptions.h"

namespace xan {
namespace {

class TCounter : public TPersistent {
 public:
  int Value = 0;
  void Assign(const TPersistent& Source) override {
    if (const auto* src = dynamic_cast<const TCounter*>(&Source)) {
      Value = src->Value;
      return;
    }
    TPersistent::Assign(Source);
  }
};

class TDerivedCounter : public TCounter {};

// Knows how to copy itself into a TCounter, although TCounter does not know it.
class TExporter : public TPersistent {
 public:
  int Payload = 0;
  void AssignTo(TPersistent& Dest) const override {
    if (auto* counter = dynamic_cast<TCounter*>(&Dest)) {
      counter->Value = Payload;
      return;
    }
    TPersistent::AssignTo(Dest);
  }
};

class TStranger : public TPersistent {};

TEST(Persistent, AssignCopiesFromOwnClassAndDescendants) {
  TCounter a, b;
  TDerivedCounter d;
  b.Value = 7;
  a.Assign(b);
  EXPECT_EQ(a.Value, 7);
  d.Value = 9;
  a.Assign(d);
  EXPECT_EQ(a.Value, 9);
}

TEST(Persistent, OtherSourcesAreAskedToCopyThemselves) {
  TCounter a;
  TExporter e;
  e.Payload = 42;
  a.Assign(e);
  EXPECT_EQ(a.Value, 42);
}

TEST(Persistent, AssignFailsWithConvertErrorWhenNeitherSideCanCopy) {
  TCounter a;
  TStranger s;
  try {
    a.Assign(s);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign a TStranger to a TCounter");
  }
  TDerivedCounter d;
  EXPECT_THROW(d.Assign(s), EConvertError);
}

TEST(Component, OwnerDeletesOwnedComponents) {
  static int alive = 0;
  struct TTracked : TComponent {
    explicit TTracked(TComponent* owner) : TComponent(owner) { ++alive; }
    ~TTracked() override { --alive; }
  };
  {
    TComponent owner;
    auto* a = new TTracked(&owner);
    new TTracked(a);  // owned by a, deleted with it
    new TTracked(&owner);
    EXPECT_EQ(alive, 3);
    EXPECT_EQ(owner.ComponentCount(), 2);
    EXPECT_EQ(owner.Components(0), a);
    EXPECT_EQ(owner.Components(2), nullptr);
    EXPECT_EQ(owner.Components(-1), nullptr);
  }
  EXPECT_EQ(alive, 0);
}

TEST(Component, DeletedComponentLeavesItsOwnersList) {
  TComponent owner;
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  delete a;
  ASSERT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), b);
  EXPECT_EQ(b->Owner(), &owner);
}

TEST(Component, OwnershipMovesAndRefusesCycles) {
  TComponent first, second;
  auto child = std::make_unique<TComponent>(&first);
  second.InsertComponent(child.get());
  EXPECT_EQ(first.ComponentCount(), 0);
  EXPECT_EQ(child->Owner(), &second);
  second.RemoveComponent(child.get());
  EXPECT_EQ(child->Owner(), nullptr);
  // Owning one's own owner would delete twice: refused.
  TComponent* grandchild = new TComponent(child.get());
  grandchild->InsertComponent(child.get());
  EXPECT_EQ(child->Owner(), nullptr);
  child->InsertComponent(child.get());
  EXPECT_EQ(child->ComponentCount(), 1);
}

TEST(Component, MessagesNameTheComponent) {
  TComponent c;
  c.SetName(u"Grep1");
  EXPECT_EQ(c.ComponentMessage(u"empty set"), u"Component \"Grep1\": empty set");
  EXPECT_EQ(c.ClassName(), u"TComponent");
}

TEST(ExceptionTest, KeepsMessageAsTextAndUtf8) {
  const EInOutError e(u"caf\u00e9", 2);
  EXPECT_EQ(e.Message(), u"caf\u00e9");
  EXPECT_STREQ(e.what(), "caf\xc3\xa9");
  EXPECT_EQ(e.ErrorCode(), 2);
}

}  // namespace
}  // namespace xan
