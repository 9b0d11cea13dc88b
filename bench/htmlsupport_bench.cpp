// THtmlProducer::Convert on a 1 MiB template with 10 000 tags, beside a plain std::u16string
// find-and-append loop doing the same job, plus scaling runs that show the time is linear, also
// for ConvertHTMLBodyToText on markup that never closes.
#include <benchmark/benchmark.h>

#include <random>

#include "xan/htmlsupport/html_producer.h"
#include "xan/htmlsupport/html_text.h"

namespace {

using xan::String;
using xan::StringView;

constexpr size_t kTemplateSize = size_t{1} << 20;
constexpr size_t kTags = 10000;

// Text of words with ordinary markup ("<p>", "<b>" and the like) and `tags` special tags spread
// evenly, `size` characters in all.
String MakeTemplate(size_t size, size_t tags) {
  std::mt19937 rng(42);
  const StringView tagTexts[] = {u"<#Title>", u"<#user upper>", u"<#date fmt=short >",
                                 u"<#count  3>"};
  const StringView markup[] = {u"<p>", u"</p>", u"<b>", u"</b>", u"<br>"};
  const size_t gap = size / tags;
  String text;
  text.reserve(size + 64);
  size_t nextTag = gap / 2;
  while (text.size() < size) {
    if (text.size() >= nextTag) {
      text += tagTexts[rng() % 4];
      nextTag += gap;
    } else if (rng() % 8 == 0) {
      text += markup[rng() % 5];
    } else {
      for (size_t n = 2 + rng() % 7; n > 0; --n) text += static_cast<char16_t>(u'a' + rng() % 26);
      text += u' ';
    }
  }
  text.resize(size);
  return text;
}

// The application's answer for a tag, shared by both sides.
void Answer(StringView name, StringView params, String& replacement) {
  if (name == u"title") {
    replacement = u"Benchmark page";
  } else if (name == u"user") {
    replacement = params.empty() ? u"Ann" : u"ANN";
  } else if (name == u"date") {
    replacement = u"2024-02-01";
  } else {
    replacement = params;
  }
}

void BM_Convert(benchmark::State& state) {
  const size_t size = static_cast<size_t>(state.range(0));
  const String tmpl = MakeTemplate(size, kTags * size / kTemplateSize);
  xan::THtmlProducer producer;
  producer.SetTemplate(tmpl);
  producer.SetOnHTMLTag([](xan::TObject*, String TagName, String Params, String& Replacement) {
    Answer(TagName, Params, Replacement);
  });
  for (auto _ : state) benchmark::DoNotOptimize(producer.Convert());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size * 2));
}
BENCHMARK(BM_Convert)->Arg(kTemplateSize / 4)->Arg(kTemplateSize)->Arg(kTemplateSize * 4);

// The same job written directly: find "<#", append the text before it, cut the tag into a
// lower-cased name and trimmed parameters, append the answer.
String PlainConvert(StringView t) {
  String out;
  out.reserve(t.size());
  size_t p = 0;
  String name;
  String replacement;
  while (p < t.size()) {
    const size_t tag = t.find(u"<#", p);
    if (tag == StringView::npos) {
      out.append(t.substr(p));
      break;
    }
    out.append(t.substr(p, tag - p));
    const size_t close = t.find(u'>', tag + 2);
    const size_t end = close == StringView::npos ? t.size() : close;
    const StringView body = t.substr(tag + 2, end - tag - 2);
    const size_t blank = body.find(u' ');
    name.assign(body.substr(0, blank));
    for (char16_t& c : name) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    StringView params;
    if (blank != StringView::npos) {
      params = body.substr(blank + 1);
      const size_t first = params.find_first_not_of(u' ');
      params = first == StringView::npos
                   ? StringView()
                   : params.substr(first, params.find_last_not_of(u' ') - first + 1);
    }
    Answer(name, params, replacement);
    out += replacement;
    p = close == StringView::npos ? t.size() : close + 1;
  }
  return out;
}

void BM_Convert_Peer(benchmark::State& state) {
  const size_t size = static_cast<size_t>(state.range(0));
  const String tmpl = MakeTemplate(size, kTags * size / kTemplateSize);
  for (auto _ : state) benchmark::DoNotOptimize(PlainConvert(tmpl));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size * 2));
}
BENCHMARK(BM_Convert_Peer)->Arg(kTemplateSize / 4)->Arg(kTemplateSize)->Arg(kTemplateSize * 4);

// Texts where every "<" starts what looks like a tag but none closes, and a body whose end tag
// is preceded by near misses: each "<" must be looked at once for the time to stay linear.
void BM_BodyToText_NearMisses(benchmark::State& state) {
  const size_t repeats = static_cast<size_t>(state.range(0));
  String text = u"<body>";
  for (size_t k = 0; k < repeats; ++k) text += u"<a</bodyx<bodyX";
  for (auto _ : state) benchmark::DoNotOptimize(xan::ConvertHTMLBodyToText(text, true));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
}
BENCHMARK(BM_BodyToText_NearMisses)->Arg(1 << 12)->Arg(1 << 14)->Arg(1 << 16);

}  // namespace

BENCHMARK_MAIN();
