// TFeatureMatrix: kind checks on their boundary texts, typed values, structural operations with
// their notification counts, name templates, properties ownership, and the file format.
#include "xan/dstruct/featurematrix.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../platform/temp_dir.h"
#include "leading_number_model.h"

namespace xan {
namespace {

// A matrix named "FM" that counts its notifications.
class Counted : public TFeatureMatrix {
 public:
  Counted() {
    SetName(u"FM");
    SetOnChange([this](TObject*) { ++Count; });
  }
  int Count = 0;
  // The notifications of one call.
  template <class F>
  int Notes(F&& f) {
    Count = 0;
    f();
    return Count;
  }
};

// Runs f, which must raise EXANDStructError with exactly the message.
template <class F>
void ExpectError(F&& f, StringView message) {
  try {
    f();
    ADD_FAILURE() << "no error, expected " << ToUtf8(message);
  } catch (const EXANDStructError& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

// "f.o", the text the tests store at feature f, object o.
String CellText(int f, int o) {
  return FromUtf8(std::to_string(f) + "." + std::to_string(o));
}

// A matrix of three features (integer, double, tristate) and two objects, kinds set.
void MakeTyped(TFeatureMatrix& m) {
  m.Resize(3, 2);
  m.SetFeatType(1, 1, fkInteger);
  m.SetFeatType(2, 2, fkDouble);
  m.SetFeatType(3, 3, fkTriState);
}

// ------------------------------------------------------------------------------------------------
// Sizes and kinds

TEST(FeatureMatrix, NewMatrixAndDefaultFeatures) {
  Counted m;
  EXPECT_EQ(m.NFeatures(), 0);
  EXPECT_EQ(m.NObjects(), 0);
  EXPECT_EQ(m.Notes([&] { m.SetNFeatures(2); }), 1);
  ASSERT_EQ(m.NFeatures(), 2);
  EXPECT_EQ(m.GetFeatProps(2)->FeatName, u"undefined");
  EXPECT_EQ(m.GetFeatProps(2)->FeatKind, fkUndefined);
  EXPECT_EQ(m.GetFeatValStr(1, 1), u"") << "no objects yet: out of range";
  m.SetNObjects(1);
  ExpectError([&] { m.GetFeatValStr(1, 1); }, u"Component \"FM\": feature 1 is undefined");
  ExpectError([&] { m.SetFeatValStr(2, 1, u""); }, u"Component \"FM\": feature 2 is undefined");
  EXPECT_EQ(FEATKINDIDS[fkTriState], u"tristate");
}

TEST(FeatureMatrix, ResizeKeepsValuesAndRejectsBadCounts) {
  Counted m;
  m.Resize(2, 3);
  m.SetFeatType(0, 0, fkString);
  for (int f = 1; f <= 2; ++f) {
    for (int o = 1; o <= 3; ++o) m.SetFeatValStr(f, o, CellText(f, o));
  }
  EXPECT_EQ(m.Notes([&] { EXPECT_TRUE(m.Resize(3, 2)); }), 2);
  EXPECT_EQ(m.GetFeatValStr(2, 2), u"2.2");
  EXPECT_EQ(m.GetFeatValStr(1, 3), u"") << "object 3 is gone";
  m.SetFeatType(3, 3, fkString);
  EXPECT_EQ(m.GetFeatValStr(3, 1), u"");
  m.SetNObjects(4);
  EXPECT_EQ(m.GetFeatValStr(1, 2), u"1.2");
  EXPECT_EQ(m.GetFeatValStr(1, 4), u"");
  m.SetNFeatures(1);
  m.SetNFeatures(2);
  EXPECT_EQ(m.GetFeatProps(2)->FeatKind, fkUndefined) << "a new feature, not the old one";

  EXPECT_EQ(m.Notes([&] { EXPECT_FALSE(m.Resize(-1, 2)); }), 0);
  EXPECT_FALSE(m.Resize(2, -1));
  EXPECT_FALSE(m.Resize(TFeatureMatrix::MaxFeatures + 1, 0));
  EXPECT_FALSE(m.Resize(1 << 20, 1 << 30)) << "2^50 values";
  EXPECT_FALSE(m.Resize(16384, 16385)) << "just beyond MaxValues";
  EXPECT_FALSE(m.Resize(1, 2000000000));
  EXPECT_EQ(m.NFeatures(), 2);
  EXPECT_EQ(m.NObjects(), 4);
  EXPECT_EQ(m.GetFeatValStr(1, 2), u"1.2");
  ExpectError([&] { m.SetNFeatures(-1); }, u"Component \"FM\": negative number of features");
  ExpectError([&] { m.SetNObjects(-3); }, u"Component \"FM\": negative number of objects");
  EXPECT_EQ(m.Notes([&] { m.Clear(); }), 1);
  EXPECT_EQ(m.NFeatures(), 0);
  EXPECT_EQ(m.NObjects(), 0);
}

// ------------------------------------------------------------------------------------------------
// The checks of SetFeatValStr

TEST(FeatureMatrix, IntegerCheckBoundaries) {
  Counted m;
  MakeTyped(m);
  for (const StringView ok : {u"-12", u"0", u"+0", u"007", u"9", u"", u"99999999999999999999"}) {
    EXPECT_EQ(m.Notes([&] { m.SetFeatValStr(1, 1, ok); }), 1) << ToUtf8(ok);
    EXPECT_EQ(m.GetFeatValStr(1, 1), ok);
  }
  m.SetFeatValStr(1, 1, u"5");
  for (const StringView bad : {u"1.5", u" 12", u"12 ", u"+", u"-", u"1e3", u"--1", u"1-", u"x"}) {
    EXPECT_EQ(m.Notes([&] {
      ExpectError([&] { m.SetFeatValStr(1, 1, bad); }, u"Component \"FM\": feature value \"" +
                                                           String(bad) +
                                                           u"\" is not a valid integer number");
    }),
              0);
    EXPECT_EQ(m.GetFeatValStr(1, 1), u"5") << "unchanged after " << ToUtf8(bad);
  }
}

TEST(FeatureMatrix, FloatingPointCheckStateMachine) {
  Counted m;
  MakeTyped(m);
  for (const StringView ok :
       {u"1.5", u" -2",   u"12abc", u".",      u"-.",      u"7.",      u".5",   u"1E",
        u"1e",  u"1E+",   u"1E-3x", u"1E4200", u"1E04200", u"1e-4200", u"1E5.", u"1E5E",
        u"1-2", u"1.5 x", u"3,75",  u"1.E5",   u"   4",    u"1.5+"}) {
    EXPECT_NO_THROW(m.SetFeatValStr(2, 1, ok)) << ToUtf8(ok);
    EXPECT_EQ(m.GetFeatValStr(2, 1), ok);
  }
  m.SetFeatValStr(2, 1, u"2");
  for (const StringView bad :
       {u"   ", u"+", u"E5", u"e5", u"1.2.3", u"1..", u"1E 5", u"1E4201", u"1E-4201", u"1E99999",
        u"- 1", u"+-1", u"abc", u"1E.", u"1EE", u"1E+ 5", u"1E+-5", u"1E+.", u",5"}) {
    ExpectError([&] { m.SetFeatValStr(2, 1, bad); },
                u"Component \"FM\": feature value \"" + String(bad) +
                    u"\" is not a valid floating point number");
    EXPECT_EQ(m.GetFeatValStr(2, 1), u"2");
  }
  EXPECT_NO_THROW(m.SetFeatValStr(2, 1, u"")) << "the empty text passes";
}

TEST(FeatureMatrix, FloatingPointCheckAgainstTheTable) {
  // Random texts over the machine's character classes: Fill with a text (where the empty text
  // fails too) must accept exactly what the table accepts with an exponent within 4200.
  TFeatureMatrix m;
  MakeTyped(m);
  std::mt19937 rng(42);
  for (int k = 0; k < 20000; ++k) {
    const String text = testing::RandomNumberText(rng);
    const testing::TModelNumber model = testing::RunNumberModel(text, false);
    bool passed = true;
    try {
      m.Fill(2, text);
    } catch (const EXANDStructError&) {
      passed = false;
    }
    ASSERT_EQ(passed, model.Accepted && !model.ExponentTooBig) << ToUtf8(text);
  }
}

TEST(FeatureMatrix, TriStateAndStringChecks) {
  Counted m;
  MakeTyped(m);
  for (const StringView ok : {u"true", u"FALSE", u"True", u""}) {
    EXPECT_NO_THROW(m.SetFeatValStr(3, 2, ok)) << ToUtf8(ok);
  }
  for (const StringView bad : {u"yes", u" true", u"1", u"truex"}) {
    ExpectError(
        [&] { m.SetFeatValStr(3, 2, bad); },
        u"Component \"FM\": feature value \"" + String(bad) + u"\" is not a valid tri-state value");
  }
  m.SetFeatType(3, 3, fkString);
  EXPECT_NO_THROW(m.SetFeatValStr(3, 2, u"anything at all"));
  EXPECT_EQ(m.Notes([&] { m.SetFeatValStr(0, 1, u"x"); }), 0) << "out of range: nothing";
  EXPECT_EQ(m.Notes([&] { m.SetFeatValStr(3, 3, u"x"); }), 0);
}

// ------------------------------------------------------------------------------------------------
// Typed values

TEST(FeatureMatrix, IntegerValues) {
  Counted m;
  MakeTyped(m);
  ExpectError([&] { m.GetFeatValInt(1, 1); }, u"Component \"FM\": feature is not an integer");
  m.ResetToDefault();
  EXPECT_EQ(m.GetFeatValInt(1, 1), 0);
  m.SetFeatValint(1, 1, 5000000000);
  EXPECT_EQ(m.GetFeatValStr(1, 1), u"5000000000");
  EXPECT_EQ(m.GetFeatValInt(1, 1), 5000000000);
  m.SetFeatValint(1, 2, std::numeric_limits<int64_t>::min());
  EXPECT_EQ(m.GetFeatValInt(1, 2), std::numeric_limits<int64_t>::min());
  m.SetFeatValStr(1, 2, u"+9223372036854775807");
  EXPECT_EQ(m.GetFeatValInt(1, 2), std::numeric_limits<int64_t>::max());
  m.SetFeatValStr(1, 2, u"9223372036854775808");
  try {
    m.GetFeatValInt(1, 2);
    ADD_FAILURE() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'9223372036854775808' is not a valid integer value");
  }
  // The reader looks at the text, not the kind.
  m.SetFeatValStr(2, 1, u"42");
  EXPECT_EQ(m.GetFeatValInt(2, 1), 42);
  EXPECT_EQ(m.GetFeatValInt(4, 1), 0);
  // The writer: numbers and strings only.
  m.SetFeatValint(2, 1, 5);
  EXPECT_EQ(m.GetFeatValStr(2, 1), u"5");
  ExpectError([&] { m.SetFeatValint(3, 1, 1); },
              u"Component \"FM\": feature is not of numeric or string type");
  m.SetFeatType(3, 3, fkUndefined);
  ExpectError([&] { m.SetFeatValint(3, 1, 1); },
              u"Component \"FM\": feature is not of numeric or string type");
  EXPECT_EQ(m.Notes([&] { m.SetFeatValint(3, 9, 1); }), 0) << "range before kind";
}

TEST(FeatureMatrix, DoubleValues) {
  Counted m;
  MakeTyped(m);
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "C");
  m.SetFeatValDouble(2, 1, 1.0 / 3);
  EXPECT_EQ(m.GetFeatValStr(2, 1), u"0.333333333333333");
  EXPECT_EQ(m.GetFeatValDouble(2, 1), 0.333333333333333);
  m.SetFeatValDouble(2, 2, -2.5e-10);
  EXPECT_EQ(m.GetFeatValStr(2, 2), u"-2.5E-10");
  EXPECT_EQ(m.GetFeatValDouble(2, 2), -2.5e-10);
  ExpectError([&] { m.SetFeatValDouble(1, 1, 1.5); },
              u"Component \"FM\": feature is not a floating point or string type");
  ExpectError([&] { m.SetFeatValDouble(3, 1, 1.5); },
              u"Component \"FM\": feature is not a floating point or string type");
  m.SetFeatValStr(1, 1, u"17");
  EXPECT_EQ(m.GetFeatValDouble(1, 1), 17) << "the kind is not looked at";
  m.SetFeatValStr(2, 1, u"");
  ExpectError([&] { m.GetFeatValDouble(2, 1); },
              u"Component \"FM\": feature is not a floating point number");
  m.SetFeatValStr(2, 1, u"12abc");
  EXPECT_THROW(m.GetFeatValDouble(2, 1), EConvertError) << "passes the check, not the reading";
  EXPECT_EQ(m.GetFeatValDouble(2, 3), 0);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FeatureMatrix, TriStateValues) {
  Counted m;
  MakeTyped(m);
  m.SetFeatValStr(3, 1, u"TRUE");
  EXPECT_EQ(m.GetFeatValTriState(3, 1), tsTrue);
  EXPECT_EQ(m.GetFeatValTriState(3, 2), tsUndefined);
  m.SetFeatType(3, 3, fkString);
  m.SetFeatValStr(3, 1, u"yes");
  ExpectError([&] { m.GetFeatValTriState(3, 1); },
              u"Component \"FM\": feature is not a tri-state value");
  m.SetFeatValTriState(3, 1, tsFalse);
  EXPECT_EQ(m.GetFeatValStr(3, 1), u"false");
  m.SetFeatValTriState(3, 1, tsUndefined);
  EXPECT_EQ(m.GetFeatValStr(3, 1), u"");
  ExpectError([&] { m.SetFeatValTriState(1, 1, tsTrue); },
              u"Component \"FM\": feature is not a tri-state or string type");
  EXPECT_EQ(m.GetFeatValTriState(0, 1), tsUndefined);
}

TEST(FeatureMatrix, FillInFourForms) {
  Counted m;
  MakeTyped(m);
  EXPECT_EQ(m.Notes([&] { EXPECT_TRUE(m.Fill(1, u"-3")); }), 1);
  EXPECT_EQ(m.GetFeatValStr(1, 2), u"-3");
  ExpectError([&] { m.Fill(1, u""); },
              u"Component \"FM\": feature value \"\" is not a valid integer number");
  ExpectError([&] { m.Fill(2, u""); },
              u"Component \"FM\": feature value \"\" is not a valid floating point number");
  EXPECT_TRUE(m.Fill(3, u"")) << "the empty text is a tri-state value";
  EXPECT_FALSE(m.Fill(4, u"1"));
  EXPECT_FALSE(m.Fill(0, int64_t{1}));
  EXPECT_EQ(m.Notes([&] { EXPECT_TRUE(m.Fill(1, 7)); }), 1);
  EXPECT_EQ(m.GetFeatValStr(1, 1), u"7");
  ExpectError([&] { m.Fill(2, int64_t{7}); },
              u"Component \"FM\": feature 2 is not an integer number");
  EXPECT_TRUE(m.Fill(2, 0.5));
  EXPECT_EQ(m.GetFeatValStr(2, 2), u"0.5");
  ExpectError([&] { m.Fill(1, 0.5); }, u"Component \"FM\": feature 1 is not floating point number");
  EXPECT_TRUE(m.Fill(3, tsTrue));
  EXPECT_EQ(m.GetFeatValStr(3, 1), u"true");
  ExpectError([&] { m.Fill(2, tsTrue); }, u"Component \"FM\": feature 2 is not a tri-state value");
  m.SetFeatType(1, 1, fkUndefined);
  ExpectError([&] { m.Fill(1, u"1"); }, u"Component \"FM\": feature 1 is undefined");
}

// ------------------------------------------------------------------------------------------------
// Whole objects and features

// The values of one feature as "a,b,c".
String Row(TFeatureMatrix& m, int f) {
  String out;
  for (int o = 1; o <= m.NObjects(); ++o) out += (o > 1 ? u"," : u"") + m.GetFeatValStr(f, o);
  return out;
}

void MakeLetters(TFeatureMatrix& m) {
  m.Resize(2, 3);
  m.SetFeatType(0, 0, fkString);
  m.SetFeatType(2, 2, fkInteger);
  for (int o = 1; o <= 3; ++o) {
    m.SetFeatValStr(1, o, String(1, static_cast<Char>(u'a' + o - 1)));
    m.SetFeatValint(2, o, o);
  }
  m.GetFeatProps(1)->FeatName = u"letters";
  m.GetFeatProps(2)->FeatName = u"numbers";
}

TEST(FeatureMatrix, ObjectOperations) {
  Counted m;
  MakeLetters(m);
  EXPECT_EQ(m.Notes([&] { m.InsertObject(2); }), 3);
  EXPECT_EQ(Row(m, 1), u"a,,b,c");
  EXPECT_EQ(Row(m, 2), u"1,0,2,3") << "cleared to the kind's default";
  EXPECT_EQ(m.Notes([&] { m.InsertObject(5); }), 0);
  EXPECT_EQ(m.Notes([&] { m.RemoveObject(1); }), 2);
  EXPECT_EQ(Row(m, 1), u",b,c");
  EXPECT_EQ(m.Notes([&] { m.CopyObject(3, 1); }), 1);
  EXPECT_EQ(Row(m, 1), u"c,b,c");
  EXPECT_EQ(m.Notes([&] { m.CopyObject(3, 4); }), 0);
  EXPECT_EQ(m.Notes([&] { m.ClearObject(2); }), 1);
  EXPECT_EQ(Row(m, 2), u"3,0,3");
  EXPECT_EQ(m.Notes([&] { m.ClearFeature(1); }), 1);
  EXPECT_EQ(Row(m, 1), u",,");
  EXPECT_EQ(m.Notes([&] { m.ResetToDefault(); }), 3) << "once per object";
  EXPECT_EQ(Row(m, 2), u"0,0,0");
  for (int i = 0; i < 3; ++i) m.RemoveObject(1);
  EXPECT_EQ(m.NObjects(), 0);
  EXPECT_EQ(m.Notes([&] { m.RemoveObject(1); }), 0);
}

TEST(FeatureMatrix, FeatureOperationsMovePropertiesAndValues) {
  Counted m;
  MakeLetters(m);
  TFeatMatProps* first = m.GetFeatProps(1);
  EXPECT_EQ(m.Notes([&] { m.InsertFeature(1); }), 2);
  ASSERT_EQ(m.NFeatures(), 3);
  EXPECT_EQ(m.GetFeatProps(1), first) << "the objects stay, their fields move by Assign";
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"undefined");
  EXPECT_EQ(m.GetFeatProps(2)->FeatName, u"letters");
  EXPECT_EQ(m.GetFeatProps(3)->FeatKind, fkInteger);
  EXPECT_EQ(Row(m, 3), u"1,2,3");
  EXPECT_EQ(m.Notes([&] { m.InsertFeature(4); }), 2) << "appends";
  EXPECT_EQ(m.GetFeatProps(4)->FeatName, u"undefined");
  EXPECT_EQ(m.Notes([&] { m.InsertFeature(6); }), 0);
  EXPECT_EQ(m.Notes([&] { m.RemoveFeature(1); }), 2);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"letters");
  EXPECT_EQ(Row(m, 1), u"a,b,c");
  EXPECT_EQ(m.FindFeatName(u"NUMBERS"), 2);
  EXPECT_EQ(m.FindFeatName(u"number"), -1);
  EXPECT_EQ(m.Notes([&] { m.RemoveFeature(3); }), 2);
  EXPECT_EQ(m.NFeatures(), 2);
  EXPECT_EQ(m.Notes([&] { m.RemoveFeature(3); }), 0);
}

TEST(FeatureMatrix, CallbackThatEmptiesTheMatrixDuringAnInsertion) {
  // The size change notifies in the middle of the insertion; a callback that clears the matrix
  // there leaves it empty instead of having the insertion work on features that are gone.
  TFeatureMatrix m;
  bool armed = false;
  int calls = 0;
  m.SetOnChange([&](TObject*) {
    ++calls;
    if (armed) {
      armed = false;
      m.Clear();
    }
  });
  for (const int32_t feat : {1, 3}) {
    MakeLetters(m);
    armed = true;
    calls = 0;
    m.InsertFeature(feat);
    EXPECT_EQ(m.NFeatures(), 0) << feat;
    EXPECT_EQ(calls, 3) << "the size change, the callback's Clear, the end";
  }
  MakeLetters(m);
  armed = true;
  m.InsertObject(1);
  EXPECT_EQ(m.NObjects(), 0);
}

TEST(FeatureMatrix, TypesAndNumbersWithoutNotification) {
  Counted m;
  m.SetNFeatures(3);
  EXPECT_EQ(m.Notes([&] { m.RenumberFeatures(0, 0, 10, 5); }), 0);
  EXPECT_EQ(m.GetFeatProps(3)->FeatNum, 20);
  EXPECT_EQ(m.FindFeatNum(15), 2);
  EXPECT_EQ(m.FindFeatNum(16), -1);
  m.RenumberFeatures(9, 2, 100, -1);  // clipped to 2..3
  EXPECT_EQ(m.GetFeatProps(1)->FeatNum, 10);
  EXPECT_EQ(m.GetFeatProps(2)->FeatNum, 100);
  EXPECT_EQ(m.GetFeatProps(3)->FeatNum, 99);
  m.RenumberFeatures(1, 2, std::numeric_limits<int32_t>::max(), 1);
  EXPECT_EQ(m.GetFeatProps(2)->FeatNum, std::numeric_limits<int32_t>::min()) << "wraps";
  EXPECT_EQ(m.Notes([&] { m.SetFeatType(-5, 2, fkDouble); }), 0);
  EXPECT_EQ(m.GetFeatProps(1)->FeatKind, fkDouble);
  EXPECT_EQ(m.GetFeatProps(2)->FeatKind, fkDouble);
  EXPECT_EQ(m.GetFeatProps(3)->FeatKind, fkUndefined);
  TFeatureMatrix empty;
  empty.SetFeatType(0, 0, fkDouble);
  empty.RenumberFeatures(1, 1, 1, 1);
  EXPECT_EQ(empty.GenerateFeatNames(u"x", 0, 0, 1, 1), 0);
  EXPECT_EQ(empty.NFeatures(), 0);
}

TEST(FeatureMatrix, RandomOperationsAgainstAModel) {
  // Many writes of long texts, shared texts (Fill, CopyObject) and moves, checked against a plain
  // table: the values must come through every reorganisation of their storage.
  std::mt19937 rng(11);
  TFeatureMatrix m;
  std::vector<std::vector<String>> model(3, std::vector<String>(200));
  m.Resize(3, 200);
  m.SetFeatType(0, 0, fkString);
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)) + 1; };
  const auto text = [&] {
    return String(rng() % 120, static_cast<Char>(u'a' + rng() % 26)) + CellText(pick(9), pick(9));
  };
  for (int step = 0; step < 20000; ++step) {
    const int nf = m.NFeatures();
    const int no = m.NObjects();
    switch (rng() % 10) {
      case 0: {
        const String t = text();
        const int f = pick(nf);
        m.Fill(f, t);
        for (String& v : model[f - 1]) v = t;
        break;
      }
      case 1: {
        const int a = pick(no);
        const int b = pick(no);
        m.CopyObject(a, b);
        for (auto& row : model) row[b - 1] = row[a - 1];
        break;
      }
      case 2: {
        const int o = pick(no);
        m.InsertObject(o);
        for (auto& row : model) row.insert(row.begin() + o - 1, String());
        break;
      }
      case 3:
        if (no > 150) {
          const int o = pick(no);
          m.RemoveObject(o);
          for (auto& row : model) row.erase(row.begin() + o - 1);
        }
        break;
      case 4:
        if (nf < 5) {
          const int f = pick(nf + 1);
          m.InsertFeature(f);
          m.SetFeatType(f, f, fkString);
          model.insert(model.begin() + f - 1, std::vector<String>(static_cast<size_t>(no)));
        } else {
          const int f = pick(nf);
          m.RemoveFeature(f);
          model.erase(model.begin() + f - 1);
        }
        break;
      case 5: {
        const int o = pick(no);
        m.ClearObject(o);
        for (auto& row : model) row[o - 1].clear();
        break;
      }
      default: {
        const int f = pick(nf);
        const int o = pick(no);
        const String t = text();
        m.SetFeatValStr(f, o, t);
        model[f - 1][o - 1] = t;
        break;
      }
    }
  }
  ASSERT_EQ(m.NFeatures(), static_cast<int>(model.size()));
  ASSERT_EQ(m.NObjects(), static_cast<int>(model[0].size()));
  for (int f = 1; f <= m.NFeatures(); ++f) {
    for (int o = 1; o <= m.NObjects(); ++o) {
      ASSERT_EQ(m.GetFeatValStr(f, o), model[f - 1][o - 1]) << f << "," << o;
    }
  }
  TFeatureMatrix copy;
  copy.Assign(m);
  m.SetNObjects(1);
  for (int f = 1; f <= copy.NFeatures(); ++f) {
    EXPECT_EQ(copy.GetFeatValStr(f, 100), model[f - 1][99]);
  }
}

// ------------------------------------------------------------------------------------------------
// Name templates

TEST(FeatureMatrix, GenerateFeatNamesPlaceholders) {
  Counted m;
  m.SetNFeatures(3);
  EXPECT_EQ(m.Notes([&] { EXPECT_EQ(m.GenerateFeatNames(u"F<%D-3%>", 0, 0, 7, 1), 0); }), 0);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"F007");
  EXPECT_EQ(m.GetFeatProps(3)->FeatName, u"F009");
  EXPECT_EQ(m.GenerateFeatNames(u"<%I2%>:<%H4%>", 3, 3, 255, 1), 0);
  EXPECT_EQ(m.GetFeatProps(3)->FeatName, u" 3:00FF");
  struct Case {
    StringView Template;
    int32_t First;
    StringView Name;  // of feature 2, named with Delta 1 from feature 2
  };
  for (const Case& c :
       {Case{u"<%D%>", -123, u"-123"}, Case{u"<%d2%>", -123, u"23"},
        Case{u"<%D 6 %>", -123, u"  -123"}, Case{u"<%D-2%>", -7, u"-07"},
        Case{u"<%D-2%>", 12345, u"45"}, Case{u"<%Dx%>", 5, u"5"}, Case{u"<%h%>", 255, u"F"},
        Case{u"<%H0%>", 10, u"A"}, Case{u"<%H9%>", -1, u"FFFFFFFF"},
        Case{u"<%H3%>", 0x12345, u"345"}, Case{u"<%I-3%>", 0, u"002"},
        Case{u"a<%D%>b<%I%>c", 4, u"a4b2c"}, Case{u"plain", 0, u"plain"},
        Case{u"<%D%><%D%>", 1, u"11"}, Case{u"100%>x", 0, u"100%>x"}}) {
    ASSERT_EQ(m.GenerateFeatNames(c.Template, 2, 2, c.First, 1), 0) << ToUtf8(c.Template);
    EXPECT_EQ(m.GetFeatProps(2)->FeatName, c.Name) << ToUtf8(c.Template);
  }
  const String year = FormatDateTime(u"%Y", Now());
  EXPECT_EQ(m.GenerateFeatNames(u"N<%T%Y%>", 1, 1, 0, 0), 0);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"N" + year);
  EXPECT_EQ(m.GenerateFeatNames(u"<%t%%%>", 1, 1, 0, 0), 0);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"%");
}

TEST(FeatureMatrix, GenerateFeatNamesFailures) {
  TFeatureMatrix m;
  m.SetNFeatures(3);
  m.GenerateFeatNames(u"old<%I%>", 0, 0, 0, 0);
  EXPECT_EQ(m.GenerateFeatNames(u"x<%Q%>", 0, 0, 1, 1), -2);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"old1");
  EXPECT_EQ(m.GenerateFeatNames(u"x", 0, 5, 1, 1), -1);
  EXPECT_EQ(m.GenerateFeatNames(u"x", 4, 1, 1, 1), -1) << "bounds are not clipped";
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"old1");
  for (const StringView bad : {u"a<%D", u"%>a<%D%>", u"<%>", u"<%%>", u"<%D99999%>", u"<%"}) {
    EXPECT_EQ(m.GenerateFeatNames(bad, 1, 1, 1, 1), -2) << ToUtf8(bad);
  }
  // The loop stops at the first failure; names before it stay.
  EXPECT_EQ(m.GenerateFeatNames(u"<%D-1%><%Q%>", 0, 0, 8, 1), -2);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"old1");
  EXPECT_EQ(m.GenerateFeatNames(u"n<%I%>", 3, 2, 0, 0), 0) << "reversed bounds name 2..3";
  EXPECT_EQ(m.GetFeatProps(2)->FeatName, u"n2");
}

// ------------------------------------------------------------------------------------------------
// Ownership of the properties objects (the sanitizer build finds leaks and double frees)

TEST(FeatureMatrix, GetFeatPropsOutOfRange) {
  TFeatureMatrix m;
  m.SetNFeatures(1);
  TFeatMatProps* spare = m.GetFeatProps(0);
  ASSERT_NE(spare, nullptr);
  EXPECT_NE(spare, m.GetFeatProps(1));
  spare->FeatName = u"changed";
  EXPECT_EQ(m.GetFeatProps(7)->FeatName, u"undefined") << "reset at every call";
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"undefined");
  spare->FeatName = u"installed";
  m.SetFeatProps(1, spare);
  EXPECT_EQ(m.GetFeatProps(1), spare);
  EXPECT_NE(m.GetFeatProps(2), spare) << "a new spare";
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"installed");
}

TEST(FeatureMatrix, SetFeatPropsOwnership) {
  Counted m;
  m.SetNFeatures(2);
  auto* props = new TFeatMatProps();
  props->FeatName = u"mine";
  EXPECT_EQ(m.Notes([&] { m.SetFeatProps(1, props); }), 1);
  EXPECT_EQ(m.GetFeatProps(1), props);
  EXPECT_EQ(m.Notes([&] { m.SetFeatProps(1, m.GetFeatProps(1)); }), 1) << "passing it back";
  EXPECT_EQ(m.GetFeatProps(1), props);
  m.SetFeatProps(2, props);  // the properties of another feature: a copy
  EXPECT_NE(m.GetFeatProps(2), props);
  EXPECT_EQ(m.GetFeatProps(2)->FeatName, u"mine");
  m.SetFeatProps(1, std::make_unique<TFeatMatProps>());  // the replaced one is freed
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"undefined");
  EXPECT_EQ(m.Notes([&] { m.SetFeatProps(3, std::make_unique<TFeatMatProps>()); }), 0);
  EXPECT_EQ(m.Notes([&] { m.SetFeatProps(1, static_cast<TFeatMatProps*>(nullptr)); }), 0);
  TFeatMatProps keep;
  m.SetFeatProps(0, &keep);  // out of range: stays the caller's
  // An object with an owner leaves it for the matrix.
  TComponent owner;
  auto* owned = new TFeatMatProps(&owner);
  m.SetFeatProps(2, owned);
  EXPECT_EQ(owner.ComponentCount(), 0);
  EXPECT_EQ(owned->Owner(), nullptr);
  m.SetNFeatures(1);  // frees feature 2's object
  EXPECT_EQ(m.NFeatures(), 1);
}

TEST(FeatureMatrix, AssignCopiesEverything) {
  Counted a;
  MakeLetters(a);
  a.GetFeatProps(1)->Comment = u"c";
  int otherCalls = 0;
  Counted b;
  b.SetOnChange([&](TObject*) { ++otherCalls; });
  a.SetOnChange([&](TObject*) { ++a.Count; });
  b.Assign(a);
  EXPECT_EQ(otherCalls, 1) << "one notification, still to the old callback";
  EXPECT_EQ(b.NFeatures(), 2);
  EXPECT_EQ(b.NObjects(), 3);
  EXPECT_EQ(Row(b, 1), u"a,b,c");
  EXPECT_NE(b.GetFeatProps(1), a.GetFeatProps(1));
  EXPECT_EQ(b.GetFeatProps(1)->Comment, u"c");
  a.Count = 0;
  b.SetFeatValStr(1, 1, u"z");
  EXPECT_EQ(a.Count, 1) << "the callback was copied";
  EXPECT_EQ(a.GetFeatValStr(1, 1), u"a");
  TFeatureMatrix c;
  a.AssignTo(c);
  EXPECT_EQ(Row(c, 2), u"1,2,3");
  TFeatMatProps p;
  EXPECT_THROW(p.Assign(a), EConvertError);
  TFeatMatProps q;
  q.FeatNum = 4;
  q.GUIElem = &q;
  p.Assign(q);
  EXPECT_EQ(p.FeatNum, 4);
  EXPECT_EQ(p.GUIElem, &q);
  p.Clear();
  EXPECT_EQ(p.GUIElem, nullptr);
}

// ------------------------------------------------------------------------------------------------
// The file

using FeatureMatrixFile = testing::TempDirTest;

TEST_F(FeatureMatrixFile, SaveWritesTheFormat) {
  TFeatureMatrix m;
  m.Resize(2, 2);
  m.SetFeatType(0, 0, fkString);
  m.SetFeatType(2, 2, fkTriState);
  m.GetFeatProps(1)->FeatNum = -4;
  m.GetFeatProps(1)->FeatName = u"colour";
  m.GetFeatProps(1)->Sorted = true;
  m.GetFeatProps(2)->Comment = u"yes or no";
  m.GetFeatProps(2)->PresetValues = u"true,false";
  m.SetFeatValStr(1, 2, u"r\u00e9d");
  m.SetFeatValStr(2, 2, u"true");
  m.Save(Path("m.txt"));
  EXPECT_EQ(ReadBytes("m.txt"),
            "#featdef 2 1\r\n"
            "1 fplFeatNum -4\r\n1 fplFeatName colour\r\n1 fplFeatKind fkString\r\n"
            "1 fplComment \r\n1 fplPresets \r\n1 fplSorted TRUE\r\n"
            "2 fplFeatNum 0\r\n2 fplFeatName undefined\r\n2 fplFeatKind fkTriState\r\n"
            "2 fplComment yes or no\r\n2 fplPresets true,false\r\n2 fplSorted FALSE\r\n"
            "#featvals 2 2\r\n"
            "1 2 r\xe9"
            "d\r\n2 2 true\r\n"
            "#featend\r\n");
}

TEST_F(FeatureMatrixFile, RoundTripOfAwkwardValues) {
  TFeatureMatrix m;
  m.Resize(4, 3);
  m.SetFeatType(1, 1, fkString);
  m.SetFeatType(2, 2, fkInteger);
  m.SetFeatType(3, 3, fkTriState);
  m.SetFeatType(4, 4, fkDouble);
  m.GetFeatProps(1)->Comment = u"";
  m.GetFeatProps(1)->PresetValues = u"  lead kept";
  m.GetFeatProps(2)->FeatName = u"Int64 \"quoted\" # not a section";
  m.GetFeatProps(2)->FeatNum = std::numeric_limits<int32_t>::min();
  m.GetFeatProps(3)->Sorted = true;
  m.SetFeatValStr(1, 1, u" a b ");
  m.SetFeatValStr(1, 2, u"#hash");
  m.SetFeatValint(2, 1, std::numeric_limits<int64_t>::max());
  m.SetFeatValint(2, 3, std::numeric_limits<int64_t>::min());
  m.SetFeatValTriState(3, 1, tsUndefined);
  m.SetFeatValTriState(3, 2, tsFalse);
  m.SetFeatValStr(4, 3, u"1.25E-7");
  m.Save(Path("m.txt"));

  Counted r;
  EXPECT_EQ(r.Notes([&] { EXPECT_EQ(r.Load(Path("m.txt")), 0); }), 2);
  ASSERT_EQ(r.NFeatures(), 4);
  ASSERT_EQ(r.NObjects(), 3);
  EXPECT_EQ(r.GetFeatValStr(1, 1), u"a b") << "blanks at the ends are lost";
  EXPECT_EQ(r.GetFeatValStr(1, 2), u"#hash");
  EXPECT_EQ(r.GetFeatValInt(2, 1), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(r.GetFeatValInt(2, 3), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(r.GetFeatValStr(2, 2), u"");
  EXPECT_EQ(r.GetFeatValTriState(3, 1), tsUndefined);
  EXPECT_EQ(r.GetFeatValTriState(3, 2), tsFalse);
  EXPECT_EQ(r.GetFeatValStr(4, 3), u"1.25E-7");
  for (int f = 1; f <= 4; ++f) {
    const TFeatMatProps& a = *m.GetFeatProps(f);
    const TFeatMatProps& b = *r.GetFeatProps(f);
    EXPECT_EQ(b.FeatNum, a.FeatNum) << f;
    EXPECT_EQ(b.FeatName, a.FeatName) << f;
    EXPECT_EQ(b.FeatKind, a.FeatKind) << f;
    EXPECT_EQ(b.Comment, a.Comment) << f;
    EXPECT_EQ(b.PresetValues, a.PresetValues) << f;
    EXPECT_EQ(b.Sorted, a.Sorted) << f;
  }
  // An empty name reads back as the default; an empty matrix stays empty.
  m.GetFeatProps(1)->FeatName = u"";
  m.Save(Path("m.txt"));
  r.Load(Path("m.txt"));
  EXPECT_EQ(r.GetFeatProps(1)->FeatName, u"undefined");
  TFeatureMatrix empty;
  empty.Save(Path("e.txt"));
  EXPECT_EQ(r.Load(Path("e.txt")), 0);
  EXPECT_EQ(r.NFeatures(), 0);
  EXPECT_EQ(r.NObjects(), 0);
}

TEST_F(FeatureMatrixFile, LoadResultCodes) {
  TFeatureMatrix m;
  EXPECT_EQ(m.Load(Path("missing.txt")), -1);
  EXPECT_EQ(m.Load(Path("missing/dir.txt")), -1);
  WriteBytes("none.txt", "hello\r\n#other 1 2\r\n#featdef\r\n\r\n");
  EXPECT_EQ(m.Load(Path("none.txt")), -2);
  // Keywords ignore case; version 2 is ignored but counts as a section.
  WriteBytes("case.txt",
             "#FeatDef 1 1\n1 FPLFEATNAME big\n1 fplfeatkind FKINTEGER\n"
             "1 x\n1 fplGUIElem 77\n7 fplFeatNum 9\n1 fplSorted True\n"
             "#FEATVALS 1 2\n1 2 -5\n");
  EXPECT_EQ(m.Load(Path("case.txt")), 0);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"big");
  EXPECT_EQ(m.GetFeatProps(1)->FeatKind, fkInteger);
  EXPECT_TRUE(m.GetFeatProps(1)->Sorted);
  EXPECT_EQ(m.GetFeatValInt(1, 2), -5);
  WriteBytes("v2.txt", "#featdef 2 2\n");
  EXPECT_EQ(m.Load(Path("v2.txt")), 0);
  EXPECT_EQ(m.NFeatures(), 0);
  // A property block two lines short reads the "#featvals" line as a property line.
  WriteBytes("short.txt",
             "#featdef 2 1\n1 fplFeatNum 1\n1 fplFeatName a\n1 fplFeatKind fkString\n"
             "1 fplComment \n1 fplPresets \n1 fplSorted FALSE\n2 fplFeatNum 2\n"
             "2 fplFeatName b\n2 fplFeatKind fkString\n2 fplComment \n#featvals 2 1\n1 1 x\n");
  EXPECT_EQ(m.Load(Path("short.txt")), -3);
  EXPECT_EQ(m.NFeatures(), 2) << "what was read stays";
  EXPECT_EQ(m.GetFeatProps(2)->FeatName, u"b");
  EXPECT_EQ(m.NObjects(), 0);
}

TEST_F(FeatureMatrixFile, MalformedFilesGiveMinusTwo) {
  TFeatureMatrix m;
  const char* const bad[] = {
      "#featdef x 1\n",
      "#featdef 2\n",
      "#featdef -1 1\n",
      "#featdef 1 1\n1 fplFeatNum 12x\n",
      "#featdef 1 1\n",  // the file ends inside the property block
      "#featdef 1 1\n\n1 a\n1 a\n1 a\n1 a\n1 a\n",
      "#featdef 2000000000 1\n",
      "#featvals 3\n",
      "#featvals 3 x\n",
      "#featvals 3 4 5\n",
      "#featvals -1 3\n",
      "#featvals 1 1\n1 x y\n",
      "#featvals 1 1\n1\n",
      "#featvals 1 1\n99999999999 1 v\n",
      "#featvals 1 1\n1 2147483648 v\n",
      // Bytes 128..255 are characters, not blanks: they spoil the number they touch.
      "#featvals 1 1\n1 1\xa0 v\n",
      "#featvals 1 1\n\xe9 1 v\n",
      "#featvals 2147483647 2147483647\n",
      "#featvals 1048576 1048576\n",
      "#featvals 1 2000000000\n",
  };
  for (const char* text : bad) {
    WriteBytes("bad.txt", text);
    TTextFile f(Path("bad.txt"), tfmRead);
    int notes = 0;
    m.SetOnChange([&](TObject*) { ++notes; });
    EXPECT_EQ(m.LoadFromOpenFile(f), -2) << text;
    EXPECT_EQ(notes, 2) << text;
  }
}

TEST_F(FeatureMatrixFile, ValuesBlockAndDisagreeingCounts) {
  TFeatureMatrix m;
  // More features in "#featvals" than defined: the new ones get default properties.
  WriteBytes("more.txt",
             "#featdef 1 1\n1 fplFeatNum 5\n1 fplFeatName a\n1 fplFeatKind fkString\n"
             "1 fplComment \n1 fplPresets \n1 fplSorted FALSE\n"
             "#featvals 3 2\n 1  2   two words  \n3 1 z\n4 1 ignored\n1 3 ignored\n"
             "-1 1 ignored\n\n1 1 after the end\n");
  EXPECT_EQ(m.Load(Path("more.txt")), 0);
  ASSERT_EQ(m.NFeatures(), 3);
  EXPECT_EQ(m.GetFeatProps(1)->FeatNum, 5);
  EXPECT_EQ(m.GetFeatProps(3)->FeatName, u"undefined");
  m.SetFeatType(0, 0, fkString);
  EXPECT_EQ(m.GetFeatValStr(1, 2), u"two words");
  EXPECT_EQ(m.GetFeatValStr(3, 1), u"z");
  EXPECT_EQ(m.GetFeatValStr(1, 1), u"") << "the empty line ended the block";
  // Fewer features: the extra properties go. "#featvals" without "#featdef" works too.
  std::string fewer = "#featdef 3 1\n";
  for (int i = 1; i <= 3; ++i) {
    const std::string n = std::to_string(i);
    fewer += n + " fplFeatName n" + n + "\n";
    for (int k = 0; k < 5; ++k) fewer += n + " x\n";
  }
  fewer += "#featvals 1 1\n1 1 v\n#featend\n#featvals 5 5\n";
  WriteBytes("fewer.txt", fewer);
  EXPECT_EQ(m.Load(Path("fewer.txt")), 0);
  EXPECT_EQ(m.NFeatures(), 1) << "reading stopped after the values block";
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, u"n1");
  WriteBytes("vals.txt", "noise\n#featvals 2 1\n2 1 v\n");
  EXPECT_EQ(m.Load(Path("vals.txt")), 0);
  EXPECT_EQ(m.NFeatures(), 2);
  EXPECT_EQ(m.GetFeatProps(2)->FeatKind, fkUndefined);
  m.SetFeatType(2, 2, fkString);
  EXPECT_EQ(m.GetFeatValStr(2, 1), u"v");
  // "#featend" with a blank stops reading; without one the line is skipped.
  WriteBytes("end.txt", "#featend now\n#featvals 1 1\n");
  EXPECT_EQ(m.Load(Path("end.txt")), -2);
  WriteBytes("end2.txt", "#featend\n#featvals 1 1\n");
  EXPECT_EQ(m.Load(Path("end2.txt")), 0);
  EXPECT_EQ(m.NFeatures(), 1);
}

TEST_F(FeatureMatrixFile, ValueLinesTakeNumbersLooselyAndTextsInTheAnsiCodePage) {
  TFeatureMatrix m;
  // Leading zeros, signs, tabs and several blanks around the numbers; texts of ASCII only and
  // with bytes of the upper half; a cell given twice keeps the later text; cells out of range
  // and a value line of a repeated cell are skipped without harm.
  WriteBytes("vals.txt",
             "#featvals 3 2\n"
             "0001 +2 plain\n"
             "\t2  1 \x80uro caf\xe9 \n"
             "3 1 first\n"
             "3 1   second  \n"
             "4 1 out\n"
             "1 -1 out\n"
             "-2147483648 1 out\n"
             "2 2 \x9f\n");
  ASSERT_EQ(m.Load(Path("vals.txt")), 0);
  m.SetFeatType(1, 3, fkString);
  EXPECT_EQ(m.GetFeatValStr(1, 2), u"plain");
  EXPECT_EQ(m.GetFeatValStr(2, 1), u"\u20acuro caf\u00e9");
  EXPECT_EQ(m.GetFeatValStr(3, 1), u"second");
  EXPECT_EQ(m.GetFeatValStr(2, 2), u"\u0178");
  EXPECT_EQ(m.GetFeatValStr(1, 1), u"");
  // The loaded matrix writes the same values again.
  m.Save(Path("again.txt"));
  TFeatureMatrix n;
  ASSERT_EQ(n.Load(Path("again.txt")), 0);
  for (int f = 1; f <= 3; ++f) {
    for (int o = 1; o <= 2; ++o) EXPECT_EQ(n.GetFeatValStr(f, o), m.GetFeatValStr(f, o));
  }
}

TEST_F(FeatureMatrixFile, RandomMatricesReadBackAsTheFormatPromises) {
  // Random properties and values of printable ANSI text: after Save and Load a value has lost the
  // blanks at its ends, a property its trailing blanks, an empty name reads back as "undefined"
  // and an empty property as its default; everything else is equal.
  std::mt19937 rng(5);
  const auto text = [&](size_t most) {
    String t;
    const size_t n = rng() % (most + 1);
    for (size_t k = 0; k < n; ++k) {
      const unsigned r = rng() % 10;
      t += r < 2    ? u' '
           : r == 2 ? u'#'
           : r == 3 ? AnsiToChar(static_cast<uint8_t>(0xC0 + rng() % 64))
                    : static_cast<Char>(33 + rng() % 94);
    }
    return t;
  };
  const auto trimmedEnd = [](String t) {
    while (!t.empty() && t.back() == u' ') t.pop_back();
    return t;
  };
  for (int round = 0; round < 40; ++round) {
    TFeatureMatrix m;
    m.Resize(static_cast<int32_t>(rng() % 5), static_cast<int32_t>(rng() % 6));
    for (int f = 1; f <= m.NFeatures(); ++f) {
      TFeatMatProps& p = *m.GetFeatProps(f);
      p.FeatNum = static_cast<int32_t>(rng());
      p.FeatName = text(6);
      p.FeatKind = static_cast<TFeatKind>(rng() % 5);
      p.Comment = text(8);
      p.PresetValues = text(8);
      p.Sorted = rng() % 2 == 0;
      const TFeatKind kind = p.FeatKind;
      p.FeatKind = fkString;
      for (int o = 1; o <= m.NObjects(); ++o) m.SetFeatValStr(f, o, text(7));
      p.FeatKind = kind;
    }
    m.Save(Path("r.txt"));
    TFeatureMatrix r;
    ASSERT_EQ(r.Load(Path("r.txt")), 0);
    ASSERT_EQ(r.NFeatures(), m.NFeatures());
    ASSERT_EQ(r.NObjects(), m.NObjects());
    for (int f = 1; f <= m.NFeatures(); ++f) {
      const TFeatMatProps& a = *m.GetFeatProps(f);
      const TFeatMatProps& b = *r.GetFeatProps(f);
      const String name = trimmedEnd(a.FeatName);
      EXPECT_EQ(b.FeatNum, a.FeatNum);
      EXPECT_EQ(b.FeatName, name.empty() ? String(u"undefined") : name);
      EXPECT_EQ(b.FeatKind, a.FeatKind);
      EXPECT_EQ(b.Comment, trimmedEnd(a.Comment));
      EXPECT_EQ(b.PresetValues, trimmedEnd(a.PresetValues));
      EXPECT_EQ(b.Sorted, a.Sorted);
      m.GetFeatProps(f)->FeatKind = fkString;
      r.GetFeatProps(f)->FeatKind = fkString;
      for (int o = 1; o <= m.NObjects(); ++o) {
        const String v = m.GetFeatValStr(f, o);
        const size_t first = v.find_first_not_of(u' ');
        const String expected = first == String::npos
                                    ? String()
                                    : v.substr(first, v.find_last_not_of(u' ') - first + 1);
        ASSERT_EQ(r.GetFeatValStr(f, o), expected) << round << ": " << f << "," << o;
      }
    }
  }
}

TEST_F(FeatureMatrixFile, RandomDamagedFilesNeverRaise) {
  // Lines put together from the pieces of the format, with wrong counts, numbers and keys: the
  // reading gives 0, -1 or -2, notifies twice, and leaves one properties object per feature.
  // The counts stay small enough for a table this machine can hold, or are refused at once.
  static constexpr const char* kPieces[] = {
      "#featdef",    "#FeatVals",   "#featend",  "#",         "#other",      "1",     "2",
      "0",           "-1",          "+3",        "x",         "99999999999", "70000", "fplFeatNum",
      "fplFeatName", "fplFeatKind", "fplSorted", "fkDouble",  "TRUE",        "",      " ",
      "\t",          "\xe9",        "1E5",       "2000000000"};
  std::mt19937 rng(3);
  TFeatureMatrix m;
  int notes = 0;
  m.SetOnChange([&](TObject*) { ++notes; });
  for (int round = 0; round < 300; ++round) {
    std::string file;
    const int lines = static_cast<int>(rng() % 25);
    for (int l = 0; l < lines; ++l) {
      const int words = static_cast<int>(rng() % 5);
      for (int w = 0; w < words; ++w) {
        file += kPieces[rng() % std::size(kPieces)];
        if (rng() % 4 != 0) file += ' ';
      }
      file += rng() % 3 == 0 ? "\r\n" : "\n";
    }
    WriteBytes("d.txt", file);
    TTextFile f(Path("d.txt"), tfmRead);
    notes = 0;
    const int32_t result = m.LoadFromOpenFile(f);
    EXPECT_TRUE(result == 0 || result == -1 || result == -2) << file;
    EXPECT_EQ(notes, 2);
    ASSERT_GE(m.NFeatures(), 0);
    ASSERT_GE(m.NObjects(), 0);
    for (int i = 1; i <= m.NFeatures(); ++i) {
      ASSERT_NE(m.GetFeatProps(i), m.GetFeatProps(0)) << file;
      m.GetFeatProps(i)->FeatKind = fkString;
      for (int o = 1; o <= m.NObjects(); ++o) m.GetFeatValStr(i, o);
    }
  }
}

TEST_F(FeatureMatrixFile, OpenFileSharesTheFile) {
  TFeatureMatrix a;
  MakeLetters(a);
  {
    TTextFile f(Path("two.txt"), tfmRewrite);
    f.WriteLn(u"header line");
    a.SaveToOpenFile(f);
    f.WriteLn(u"after");
    a.SaveToOpenFile(f);
  }
  TTextFile f(Path("two.txt"), tfmRead);
  TFeatureMatrix b;
  EXPECT_EQ(b.LoadFromOpenFile(f), 0);
  EXPECT_EQ(Row(b, 1), u"a,b,c");
  EXPECT_EQ(f.ReadLn(), u"after") << "the #featend line was consumed, nothing more";
  EXPECT_EQ(b.LoadFromOpenFile(f), 0);
  EXPECT_EQ(Row(b, 2), u"1,2,3");
  EXPECT_EQ(b.LoadFromOpenFile(f), -1) << "no section left";
}

// The text of a values file of NF features and NO objects, one value line per cell that Keep
// lets through, values from Seed; when BadAt > 0 the value line of that object is spoilt.
std::string ValuesFile(int NF, int NO, unsigned Seed, int BadAt = 0) {
  std::mt19937 rng(Seed);
  std::string file = "#featdef " + std::to_string(NF) + " 1\n";
  for (int f = 1; f <= NF; ++f) {
    const std::string n = std::to_string(f);
    file += n + " fplFeatNum " + std::to_string(rng() % 1000) + "\n" + n + " fplFeatName f" +
            std::to_string(Seed) + "_" + n + "\n" + n + " fplFeatKind fkString\n" + n +
            " fplComment \n" + n + " fplPresets p\n" + n + " fplSorted FALSE\n";
  }
  file += "#featvals " + std::to_string(NF) + " " + std::to_string(NO) + "\n";
  for (int o = 1; o <= NO; ++o) {
    for (int f = 1; f <= NF; ++f) {
      if (rng() % 5 == 0) continue;
      file += std::to_string(f) + " " + std::to_string(o) + (o == BadAt ? "x " : " ");
      const size_t length = rng() % 12;
      for (size_t k = 0; k < length; ++k) {
        const unsigned r = rng() % 16;
        file += r == 0 ? ' ' : r == 1 ? static_cast<char>(0x80 + rng() % 128) : 'a' + rng() % 26;
      }
      file += "\n";
    }
  }
  return file + "#featend\n";
}

TEST_F(FeatureMatrixFile, RepeatedLoadsReadAsAFreshMatrixWould) {
  // One matrix loads file after file, of the same shape, smaller, larger, damaged part of the
  // way, without values; after each it must hold what a new matrix that loads the same file
  // holds, compared through what both save. The large ones take tables and pools of megabytes.
  struct TCase {
    int NF;
    int NO;
    unsigned Seed;
    int BadAt;
  };
  const TCase cases[] = {{4, 40000, 1, 0}, {4, 40000, 2, 0},  {4, 40000, 3, 30000},
                         {4, 40000, 4, 0}, {3, 3000, 5, 0},   {5, 50000, 6, 0},
                         {3, 0, 7, 0},     {4, 40000, 8, 0},  {40000, 4, 9, 0},
                         {2, 1, 10, 0},    {4, 40000, 11, 2}, {4, 40000, 12, 0}};
  Counted reused;
  for (const TCase& c : cases) {
    WriteBytes("in.txt", ValuesFile(c.NF, c.NO, c.Seed, c.BadAt));
    const int32_t expected = c.BadAt > 0 ? -3 : 0;
    EXPECT_EQ(reused.Notes([&] { EXPECT_EQ(reused.Load(Path("in.txt")), expected); }), 2);
    TFeatureMatrix fresh;
    ASSERT_EQ(fresh.Load(Path("in.txt")), expected);
    ASSERT_EQ(reused.NFeatures(), fresh.NFeatures()) << c.Seed;
    ASSERT_EQ(reused.NObjects(), fresh.NObjects()) << c.Seed;
    fresh.Save(Path("fresh.txt"));
    reused.Save(Path("reused.txt"));
    ASSERT_TRUE(ReadBytes("fresh.txt") == ReadBytes("reused.txt")) << c.Seed;
    if (c.BadAt > 0) continue;
    // Emptying all features but the last leaves most of the pool unused, which compacts it: the
    // last feature's values stay what they were.
    reused.SetFeatType(0, 0, fkString);
    const String last = Row(reused, c.NF);
    for (int f = 1; f < c.NF; ++f) reused.ClearFeature(f);
    ASSERT_TRUE(Row(reused, c.NF) == last) << c.Seed;
    EXPECT_EQ(Row(reused, 1), String(static_cast<size_t>(std::max(c.NO - 1, 0)), u','));
  }
}

TEST_F(FeatureMatrixFile, ALoadAfterACallbackThatResizesTheMatrix) {
  // The notification of the load's Clear sees an empty matrix and may fill it again; the load
  // then replaces what the callback made.
  TFeatureMatrix m;
  WriteBytes("a.txt", ValuesFile(3, 20000, 21));
  WriteBytes("b.txt", ValuesFile(3, 20000, 22));
  ASSERT_EQ(m.Load(Path("a.txt")), 0);
  int calls = 0;
  m.SetOnChange([&](TObject*) {
    if (++calls != 1) return;
    EXPECT_EQ(m.NFeatures(), 0);
    EXPECT_EQ(m.NObjects(), 0);
    m.Resize(2, 7);
    m.SetFeatType(0, 0, fkString);
    m.SetFeatValStr(2, 7, u"from the callback");
  });
  ASSERT_EQ(m.Load(Path("b.txt")), 0);
  TFeatureMatrix fresh;
  ASSERT_EQ(fresh.Load(Path("b.txt")), 0);
  m.Save(Path("m.txt"));
  fresh.Save(Path("fresh.txt"));
  EXPECT_TRUE(ReadBytes("m.txt") == ReadBytes("fresh.txt"));
}

TEST_F(FeatureMatrixFile, AUtf8FileReadsBackItsValues) {
  // Save to an open file leaves the encoding to it; reading the same file as UTF-8 must give back
  // the characters, in the values as in the properties.
  TFeatureMatrix m;
  m.Resize(2, 2);
  m.SetFeatType(0, 0, fkString);
  m.GetFeatProps(1)->FeatName = u"caf\u00e9 \u20ac";
  m.SetFeatValStr(1, 1, u"Z\u00fcrich \u65e5\u672c");
  m.SetFeatValStr(2, 1, u"plain");
  m.SetFeatValStr(1, 2, u"\u0100\u00ff\U0001F600");
  {
    TTextFile f(Path("u.txt"), tfmRewrite, teUtf8);
    m.SaveToOpenFile(f);
  }
  TTextFile f(Path("u.txt"), tfmRead, teUtf8);
  TFeatureMatrix r;
  ASSERT_EQ(r.LoadFromOpenFile(f), 0);
  r.SetFeatType(0, 0, fkString);
  EXPECT_EQ(r.GetFeatProps(1)->FeatName, u"caf\u00e9 \u20ac");
  for (int f = 1; f <= 2; ++f) {
    for (int o = 1; o <= 2; ++o) EXPECT_EQ(r.GetFeatValStr(f, o), m.GetFeatValStr(f, o));
  }
}

}  // namespace
}  // namespace xan
