#include "core/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace brivet {
namespace {

// The error code a coercion throws, 0 when it succeeds.
template <class F>
int32_t CodeOf(F f) {
  try {
    f();
    return 0;
  } catch (const Error& e) {
    return e.code();
  }
}

const int32_t kTM = Error::TypeMismatch().code();
const int32_t kOVF = Error::Overflow().code();

Variant S(const char* s) { return Variant::Str(std::string_view(s)); }
std::string Txt(const Variant& v) { return Narrow(ToText(v)); }

class Holder : public ObjectRef {
 public:
  explicit Holder(std::optional<Variant> v) : v_(std::move(v)) {}
  std::optional<Variant> DefaultValue() const override { return v_; }

 private:
  std::optional<Variant> v_;
};

Variant Obj(std::optional<Variant> v) { return Variant::Object(std::make_shared<Holder>(std::move(v))); }

TEST(VariantRounding, HalvesGoToEvenAndBoundsFollowThePlatform) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(2.4999999999999996), 2);

  // I2: -32768.5 rounds to -32768, 32767.5 overflows.
  EXPECT_EQ(ToInt16(Variant::R8(-32768.5)), -32768);
  EXPECT_EQ(CodeOf([] { ToInt16(Variant::R8(std::nextafter(-32768.5, -1e9))); }), kOVF);
  EXPECT_EQ(CodeOf([] { ToInt16(Variant::R8(32767.5)); }), kOVF);
  EXPECT_EQ(ToInt16(Variant::R8(std::nextafter(32767.5, 0.0))), 32767);
  EXPECT_EQ(RoundToInt32(-2147483648.5), INT32_MIN);
  EXPECT_EQ(CodeOf([] { RoundToInt32(2147483647.5); }), kOVF);
  EXPECT_EQ(CodeOf([] { RoundToInt32(std::nan("")); }), kOVF);
  EXPECT_EQ(ToInt32(Variant::Date(36527.5)), 36528);

  // Currency rounds on its exact value.
  EXPECT_EQ(ToInt16(Variant::CurrencyScaled(25000)), 2);
  EXPECT_EQ(ToInt16(Variant::CurrencyScaled(35000)), 4);
  EXPECT_EQ(ToInt16(Variant::CurrencyScaled(-25000)), -2);
  EXPECT_EQ(ToInt16(Variant::CurrencyScaled(-327685000)), -32768);
  EXPECT_EQ(CodeOf([] { ToInt16(Variant::CurrencyScaled(327675000)); }), kOVF);
}

TEST(VariantIntegers, WidthsAndTheUnsignedTypeOfTheSameWidth) {
  EXPECT_EQ(ToInt16(Variant::Bool(true)), -1);
  EXPECT_EQ(ToInt32(Variant()), 0);
  EXPECT_EQ(CodeOf([] { ToInt16(Variant::I4(32768)); }), kOVF);
  EXPECT_EQ(CodeOf([] { ToInt32(Variant::Integer(VariantType::I8, int64_t{1} << 31)); }), kOVF);
  EXPECT_EQ(CodeOf([] { ToInt32(Variant::Integer(VariantType::UI8, -1)); }), kOVF);
  // The platform changes only the type between UI2 and I2, UI4 and I4.
  EXPECT_EQ(ToInt16(Variant::Integer(VariantType::UI2, 65535)), -1);
  EXPECT_EQ(ToInt32(Variant::Integer(VariantType::UI2, 65535)), 65535);
  EXPECT_EQ(ToInt32(Variant::Integer(VariantType::UI4, 4294967295)), -1);
  EXPECT_EQ(CodeOf([] { ToInt16(Variant::Integer(VariantType::UI4, 65535)); }), kOVF);
  EXPECT_EQ(ToDouble(Variant::Integer(VariantType::UI8, -1)), 18446744073709551616.0);
}

TEST(VariantText, NumbersInEveryAcceptedForm) {
  struct Case {
    const char* text;
    int32_t i4;
  };
  for (const Case& c : {Case{" 12 ", 12},    {"+12", 12},
                        {"- 12", -12},       {"12-", -12},
                        {"(12)", -12},       {"(-1)", -1},
                        {"$1,234.50", 1234}, {"1,2,3,4", 1234},
                        {"0,12", 12},        {".,5", 0},
                        {"2.5", 2},          {"3.5", 4},
                        {"-2.5", -2},        {"2.5000000000000001", 3},
                        {"0.06", 0},         {"-0.9", -1},
                        {"1e3", 1000},       {"1.5E+1", 15},
                        {"1e--2", 0},        {"E1,5", 50},
                        {"&H10", 16},        {"&h1f", 31},
                        {"&HFFFF", 65535},   {"&HFFFFFFFF", -1},
                        {"-&H10", 16},       {"&O17", 15},
                        {"1 , ", 1}})
    EXPECT_EQ(ToInt32(S(c.text)), c.i4) << c.text;
  EXPECT_EQ(ToInt32(Variant::Str(u"\u00A07\u3000")), 7);
  EXPECT_EQ(ToInt16(S("&HFFFF")), -1);  // &H takes the target's width
  EXPECT_EQ(ToInt16(S("&H8000")), -32768);

  for (const char* bad : {"",  " ",  "abc",    ",12",   "(12", "12)",  "1e",   "1e+", "--1", "-1-", ".",
                          "$", "&H", "&H10.5", "&H1,0", "&O8", "$1e2", "0x10", "12%", "1 2", "True"})
    EXPECT_EQ(CodeOf([&] { ToInt32(S(bad)); }), kTM) << bad;
  for (const char* big : {"32768", "-32769", "32767.5", "&H10000", "99999999999999999999"})
    EXPECT_EQ(CodeOf([&] { ToInt16(S(big)); }), kOVF) << big;
  EXPECT_EQ(ToInt16(S("-32768.5")), -32768);
}

TEST(VariantText, DoublesWithThePlatformArithmetic) {
  // Digits accumulated, then scaled in steps of 10^10: not always the
  // nearest double, but the platform's.
  EXPECT_EQ(ToDouble(S("1E308")), std::nextafter(1e308, 0.0));
  EXPECT_EQ(ToDouble(S("123.456")), 123.456);
  EXPECT_EQ(ToDouble(S("1e-323")), 1e-323);
  EXPECT_EQ(ToDouble(S("4.36e-324")), 0.0);  // below one subnormal step
  EXPECT_EQ(ToDouble(S("1e-400")), 0.0);
  EXPECT_TRUE(std::signbit(ToDouble(S("-0"))));
  EXPECT_EQ(ToDouble(S("&H80000000")), -2147483648.0);
  for (const char* big : {"1e400", "1.7976931348623157E308", "&H80000001", "&HFFFFFFFF"})
    EXPECT_EQ(CodeOf([&] { ToDouble(S(big)); }), kOVF) << big;
  EXPECT_EQ(ToDouble(Variant::CurrencyScaled(12345)), 1.2345);
}

TEST(VariantBool, WordsNumbersAndNothing) {
  EXPECT_TRUE(ToBool(S("True")));
  EXPECT_TRUE(ToBool(S("tRUE")));
  EXPECT_FALSE(ToBool(S("FALSE")));
  EXPECT_TRUE(ToBool(S("#TRUE#")));
  EXPECT_FALSE(ToBool(S("#FALSE#")));
  EXPECT_FALSE(ToBool(S("0.0")));
  EXPECT_TRUE(ToBool(S("0.0001")));
  EXPECT_TRUE(ToBool(Variant::R8(-0.5)));
  EXPECT_FALSE(ToBool(Variant()));
  for (const char* bad : {" True", "#true#", "Yes", ""})
    EXPECT_EQ(CodeOf([&] { ToBool(S(bad)); }), kTM) << bad;
  EXPECT_EQ(CodeOf([] { ToBool(S("&HFFFFFFFF")); }), kOVF);
}

TEST(VariantText, TextFormsOfEveryType) {
  EXPECT_EQ(Txt(Variant()), "");
  EXPECT_EQ(Txt(Variant::Bool(true)), "True");
  EXPECT_EQ(Txt(Variant::Bool(false)), "False");
  EXPECT_EQ(Txt(Variant::I2(-32768)), "-32768");
  EXPECT_EQ(Txt(Variant::Integer(VariantType::UI8, -1)), "18446744073709551615");

  EXPECT_EQ(Txt(Variant::R8(1.0 / 3)), "0.333333333333333");
  EXPECT_EQ(Txt(Variant::R8(0.1 + 0.2)), "0.3");
  EXPECT_EQ(Txt(Variant::R8(123456789012345.0)), "123456789012345");
  EXPECT_EQ(Txt(Variant::R8(1e15)), "1E+15");
  EXPECT_EQ(Txt(Variant::R8(1234567890123445.0)), "1.23456789012345E+15");  // ties away from zero
  EXPECT_EQ(Txt(Variant::R8(999999999999999.5)), "1E+15");
  EXPECT_EQ(Txt(Variant::R8(1e-5)), "1E-05");
  EXPECT_EQ(Txt(Variant::R8(-0.0001)), "-0.0001");
  EXPECT_EQ(Txt(Variant::R8(-0.0)), "0");
  EXPECT_EQ(Txt(Variant::R8(4.9406564584124654e-324)), "4.94065645841247E-324");
  EXPECT_EQ(Txt(Variant::R4(1.0f / 3)), "0.3333333");
  EXPECT_EQ(Txt(Variant::R4(16777216.0f)), "1.677722E+07");

  EXPECT_EQ(Txt(Variant::CurrencyScaled(12345)), "1.2345");
  EXPECT_EQ(Txt(Variant::CurrencyScaled(-150000)), "-15");
  EXPECT_EQ(Txt(Variant::CurrencyScaled(-1)), "-0.0001");
  EXPECT_EQ(Txt(Variant::CurrencyScaled(INT64_MIN)), "-922337203685477.5808");

  EXPECT_EQ(Txt(Variant::Date(36527 + (3 * 3600 + 4 * 60 + 5) / 86400.0)), "1/2/2000 3:04:05 AM");
  EXPECT_EQ(Txt(Variant::Date(36527)), "1/2/2000");
  EXPECT_EQ(Txt(Variant::Date(0)), "12:00:00 AM");
  EXPECT_EQ(Txt(Variant::Date(0.5)), "12:00:00 PM");
  EXPECT_EQ(Txt(Variant::Date(60)), "2/28/1900");
  EXPECT_EQ(Txt(Variant::Date(61)), "3/1/1900");
  EXPECT_EQ(Txt(Variant::Date(-1.25)), "12/29/1899 6:00:00 AM");        // time counts forwards
  EXPECT_EQ(Txt(Variant::Date(36527.999999)), "1/3/2000 12:00:00 AM");  // rounds into the next day
  EXPECT_EQ(Txt(Variant::Date(-657434)), "1/1/100");
  EXPECT_EQ(Txt(Variant::Date(2958465.5)), "12/31/9999 12:00:00 PM");
  EXPECT_EQ(CodeOf([] { ToText(Variant::Date(2958466)); }), Error::InvalidCall().code());
}

TEST(VariantSpecial, NullErrorArrayMissingAndObjects) {
  const Variant arr = Variant::Array(std::make_shared<ArrayRef>());
  for (const Variant& v : {Variant::Null(), Variant::Missing(), Variant::ErrorCode(5), arr, Obj(std::nullopt),
                           Variant::Object(nullptr)}) {
    EXPECT_EQ(CodeOf([&] { ToText(v); }), kTM);
    EXPECT_EQ(CodeOf([&] { ToInt16(v); }), kTM);
    EXPECT_EQ(CodeOf([&] { ToInt32(v); }), kTM);
    EXPECT_EQ(CodeOf([&] { ToBool(v); }), kTM);
    EXPECT_EQ(CodeOf([&] { ToDouble(v); }), kTM);
  }
  EXPECT_TRUE(Variant::Missing().IsMissing());
  EXPECT_EQ(Variant::Missing().integer(), status::kParamNotFound);
  EXPECT_FALSE(Variant::ErrorCode(status::kTypeMismatch).IsMissing());
  EXPECT_FALSE(Variant::I4(status::kParamNotFound).IsMissing());

  const Variant text_obj = Obj(S("2.5"));
  EXPECT_EQ(Txt(text_obj), "2.5");
  EXPECT_EQ(ToInt16(text_obj), 2);
  EXPECT_TRUE(ToBool(Obj(Variant::Bool(true))));
  EXPECT_EQ(Txt(Obj(Variant::Bool(true))), "True");
  EXPECT_EQ(ToDouble(Obj(Obj(Variant::I4(7)))), 7.0);  // a default value that is an object
  EXPECT_EQ(CodeOf([] { ToInt32(Obj(Variant::Null())); }), kTM);
  EXPECT_EQ(Txt(Obj(Variant())), "");

  // An object that is its own default value ends in a type mismatch.
  struct Self : ObjectRef {
    std::weak_ptr<ObjectRef> self;
    std::optional<Variant> DefaultValue() const override { return Variant::Object(self.lock()); }
  };
  auto self = std::make_shared<Self>();
  self->self = self;
  EXPECT_EQ(CodeOf([&] { ToText(Variant::Object(self)); }), kTM);
}

TEST(VariantBasics, EqualityAndUtf8) {
  EXPECT_EQ(Variant::I4(1), Variant::I4(1));
  EXPECT_FALSE(Variant::I4(1) == Variant::I2(1));
  EXPECT_EQ(S("a"), Variant::Str(u"a"));
  EXPECT_EQ(Variant::Null(), Variant::Null());
  const auto o = std::make_shared<Holder>(std::nullopt);
  EXPECT_EQ(Variant::Object(o), Variant::Object(o));
  EXPECT_FALSE(Variant::Object(o) == Obj(std::nullopt));
  EXPECT_EQ(Narrow(u"a\u00e9\u20ac\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Narrow(Text(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(VariantDecimal, KeepsEveryDigitAndRoundsExactly) {
  struct DecimalCase {
    const char* exact;
    int32_t i4;  // rounded half to even from the exact digits
    bool truth;
  };
  const DecimalCase cases[] = {
      {"2.5000000000000000000000000001", 3, true}, {"2.5", 2, true}, {"-3.5", -4, true},
      {"-3.4999999999999999999999", -3, true},     {"0", 0, false},  {"-0.0001", 0, true},
  };
  for (const DecimalCase& c : cases) {
    const Variant d = Variant::DecimalText(T(c.exact));
    EXPECT_EQ(ToText(d), T(c.exact));
    EXPECT_EQ(ToInt32(d), c.i4) << c.exact;
    EXPECT_EQ(ToBool(d), c.truth) << c.exact;
  }
  EXPECT_THROW(ToInt16(Variant::DecimalText(T("32767.5"))), Error);
  EXPECT_EQ(ToInt16(Variant::DecimalText(T("32766.5"))), 32766);
  EXPECT_DOUBLE_EQ(ToDouble(Variant::DecimalText(T("79228162514264337593543950335"))), 7.9228162514264338e+28);
}

}  // namespace
}  // namespace brivet
