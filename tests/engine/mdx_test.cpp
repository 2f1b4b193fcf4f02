// The .mdx codec: round trips through our own reader, agreement with Perl's
// XBase::Index (an independent dBASE reader) on our files and on files
// written by other software, and robustness against damaged files.
#include "engine/mdx.h"

#include <gtest/gtest.h>

#include "common/strict.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "common/temp_package.h"

namespace engine::mdx {
namespace {

namespace fs = std::filesystem;
using platform::ErrorCode;

fs::path DataDir() {
  return fs::path(testing_support::SourceDir()) / "tests" / "engine" / "data";
}

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The values of one column of a .DBF, indexed by record number - 1, as the
// raw stored bytes (deleted records included: they stay indexed).
std::vector<std::string> DbfColumn(const std::string& dbf, const std::string& column) {
  auto u16 = [&](size_t o) { return static_cast<uint8_t>(dbf[o]) | (static_cast<uint8_t>(dbf[o + 1]) << 8); };
  const uint32_t records = static_cast<uint8_t>(dbf[4]) | (static_cast<uint8_t>(dbf[5]) << 8) |
                           (static_cast<uint8_t>(dbf[6]) << 16) | (static_cast<uint32_t>(static_cast<uint8_t>(dbf[7])) << 24);
  const size_t headerLength = u16(8), recordLength = u16(10);
  size_t offset = 1, width = 0;
  for (size_t d = 32; d + 32 <= headerLength && dbf[d] != 0x0D; d += 32) {
    const std::string name(dbf.c_str() + d);
    const size_t len = static_cast<uint8_t>(dbf[d + 16]);
    if (name == column) {
      width = len;
      break;
    }
    offset += len;
  }
  std::vector<std::string> values;
  for (uint32_t r = 0; r < records && width != 0; ++r)
    values.push_back(dbf.substr(headerLength + r * recordLength + offset, width));
  return values;
}

// Keys of every tag as Perl's XBase::Index walks them; nullopt when perl or
// the module is not installed.
using TagKeys = std::map<std::string, std::vector<Key>>;
std::optional<TagKeys> PerlKeys(const fs::path& mdx) {
  if (std::system("perl -MXBase::Index -e 1 >/dev/null 2>&1") != 0) return std::nullopt;
  const std::string cmd =
      "perl -MXBase::Index -e 'my $f=shift; for my $t (XBase::Index->new($f)->tags) { "
      "my $i=XBase::Index->new($f, tag=>$t) or die XBase::Index->errstr; $i->prepare_select; "
      "print \"TAG $t\\n\"; while (my ($k,$r)=$i->fetch) { print \"$k\\t$r\\n\" } }' '" +
      mdx.string() + "' 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return std::nullopt;
  std::string out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int rc = ::pclose(p);
  EXPECT_EQ(rc, 0) << out;
  TagKeys tags;
  std::vector<Key>* current = nullptr;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("TAG ", 0) == 0) {
      current = &tags[line.substr(4)];
      continue;
    }
    const size_t tab = line.rfind('\t');
    if (current == nullptr || tab == std::string::npos) {
      ADD_FAILURE() << "unexpected perl output: " << line;
      continue;
    }
    current->emplace_back(line.substr(0, tab), static_cast<uint32_t>(std::stoul(line.substr(tab + 1))));
  }
  return tags;
}

std::string Hex(std::string_view bytes) {
  static const char* digits = "0123456789abcdef";
  std::string h;
  for (unsigned char c : bytes) {
    h += digits[c >> 4];
    h += digits[c & 15];
  }
  return h;
}
std::string Unhex(std::string_view h) {
  std::string b;
  for (size_t i = 0; i + 1 < h.size(); i += 2) b += static_cast<char>(std::stoi(std::string(h.substr(i, 2)), nullptr, 16));
  return b;
}

// What XBase::Index finds for each probe: it descends the tree by the
// interior keys to the first key >= the probe (nullopt: none).
std::vector<std::optional<Key>> PerlSeek(const fs::path& mdx, const std::string& tag,
                                         const std::vector<std::string>& probes) {
  const fs::path probeFile = mdx.string() + ".probes";
  {
    std::ofstream out(probeFile);
    for (const std::string& p : probes) out << Hex(p) << "\n";
  }
  const std::string cmd =
      "perl -MXBase::Index -e 'my ($f,$t,$pf)=@ARGV; my $i=XBase::Index->new($f, tag=>$t) "
      "or die XBase::Index->errstr; open P, \"<\", $pf or die; while (<P>) { chomp; "
      "$i->prepare_select_eq(pack(\"H*\", $_)); my ($k,$r)=$i->fetch; "
      "print defined $k ? unpack(\"H*\", $k).\"\\t$r\\n\" : \"-\\n\" }' '" +
      mdx.string() + "' '" + tag + "' '" + probeFile.string() + "' 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  std::vector<std::optional<Key>> found;
  if (p == nullptr) return found;
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  EXPECT_EQ(::pclose(p), 0) << out;
  fs::remove(probeFile);
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) {
      found.push_back(std::nullopt);
    } else {
      found.push_back(Key{Unhex(line.substr(0, tab)), static_cast<uint32_t>(std::stoul(line.substr(tab + 1)))});
    }
  }
  return found;
}

std::string Pad(std::string s, size_t width) {
  s.resize(width, ' ');
  return s;
}

TagData MakeTag(std::string name, std::string expression, uint16_t keyLength,
                std::vector<Key> keys, char type = 'C') {
  TagData t;
  t.info.name = std::move(name);
  t.info.expression = std::move(expression);
  t.info.keyType = type;
  t.info.keyLength = keyLength;
  t.keys = std::move(keys);
  return t;
}

// `count` keys of `width` bytes in index order, `dupEvery` consecutive
// records sharing one key value.
std::vector<Key> SortedKeys(size_t count, size_t width, size_t dupEvery = 1) {
  std::vector<Key> keys;
  keys.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "K%08zu", i / dupEvery);
    keys.emplace_back(Pad(text, width), static_cast<uint32_t>(i + 1));
  }
  return keys;
}

std::vector<Key> CutKeys(const std::vector<Key>& keys, size_t width) {
  std::vector<Key> cut = keys;
  for (Key& k : cut) k.first.resize(width);
  return cut;
}

// ---- round trip ------------------------------------------------------------

struct RoundTripCase {
  const char* name;
  size_t count;
  uint16_t keyLength;
  size_t dupEvery;
};

class MdxRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(MdxRoundTrip, ReadKeysGivesBackWhatWriteGot) {
  const RoundTripCase& c = GetParam();
  const std::vector<Key> keys = SortedKeys(c.count, c.keyLength, c.dupEvery);
  StatusOr<std::string> file = Serialize("INSTAL", {MakeTag("NAIM", "NAIM", c.keyLength, keys)}, 0x26);
  ASSERT_TRUE(file.ok()) << file.status().ToString();

  StatusOr<std::vector<TagInfo>> list = ParseTagList(*file);
  ASSERT_TRUE(list.ok()) << list.status().ToString();
  ASSERT_EQ(list->size(), 1u);
  const uint16_t stored = std::min(c.keyLength, kMaxStoredKeyLength);
  EXPECT_EQ((*list)[0].name, "NAIM");
  EXPECT_EQ((*list)[0].expression, "NAIM");
  EXPECT_EQ((*list)[0].keyType, 'C');
  EXPECT_EQ((*list)[0].keyLength, stored);
  EXPECT_EQ((*list)[0].fullKeyLength, c.keyLength > kMaxStoredKeyLength ? c.keyLength : 0);

  StatusOr<std::vector<Key>> back = ParseKeys(*file, "naim");
  ASSERT_TRUE(back.ok()) << back.status().ToString();
  EXPECT_EQ(*back, CutKeys(keys, stored));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, MdxRoundTrip,
    ::testing::Values(RoundTripCase{"NoKeys", 0, 10, 1}, RoundTripCase{"OneKey", 1, 10, 1},
                      RoundTripCase{"FewKeys", 5, 1, 1},
                      RoundTripCase{"OneFullLeaf", 63, 10, 1},      // item 16: 63 per node
                      RoundTripCase{"TwoLeaves", 64, 10, 1},
                      RoundTripCase{"ThreeLevels", 5000, 40, 1},    // item 44: 23 per node
                      RoundTripCase{"FourLevels", 5000, 100, 1},    // item 104: 9 per node
                      RoundTripCase{"EqualKeysAcrossNodes", 3000, 20, 500},
                      RoundTripCase{"AllKeysEqual", 700, 8, 700},
                      RoundTripCase{"KeysLongerThan100AreCut", 300, 150, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Mdx, SeveralTagsKeepTheirOwnKeysAndAttributes) {
  std::vector<TagData> tags{
      MakeTag("Naim", "NAIM", 60, SortedKeys(400, 60)),
      MakeTag("Vid", "VID", 1, {{"a", 3}, {"b", 1}, {"b", 2}}),
      MakeTag("VidDir", "VID+DIR", 61, SortedKeys(150, 61, 3)),
      MakeTag("Empty", "DOP", 1, {}),
      MakeTag("NbDate", "NBDATE", 8, {{"20230101", 1}, {"20240101", 2}, {"20240101", 3}}),
  };
  tags[4].info.descending = true;
  tags[1].info.unique = true;
  StatusOr<std::string> file = Serialize("INSTAL", tags, 0x26);
  ASSERT_TRUE(file.ok()) << file.status().ToString();

  StatusOr<std::vector<TagInfo>> list = ParseTagList(*file);
  ASSERT_TRUE(list.ok()) << list.status().ToString();
  ASSERT_EQ(list->size(), tags.size());
  for (size_t i = 0; i < tags.size(); ++i) {
    SCOPED_TRACE(tags[i].info.name);
    const TagInfo& got = (*list)[i];
    EXPECT_EQ(got.name, tags[i].info.name);
    EXPECT_EQ(got.expression, tags[i].info.expression);
    EXPECT_EQ(got.keyLength, tags[i].info.keyLength);
    EXPECT_EQ(got.descending, tags[i].info.descending);
    EXPECT_EQ(got.unique, tags[i].info.unique);
    StatusOr<std::vector<Key>> keys = ParseKeys(*file, tags[i].info.name);
    ASSERT_TRUE(keys.ok()) << keys.status().ToString();
    EXPECT_EQ(*keys, tags[i].keys);
  }
  EXPECT_EQ(ParseKeys(*file, "NoSuchTag").status().code(), ErrorCode::kNotFound);
}

// Numeric and date tags of other programs' files: listed, keys raw.
TEST(Mdx, NumericAndDateTagsAreListedAndTheirKeysComeBackRaw) {
  const std::string bcd(12, '\x34'), julian("\x00\x00\x00\x00\x40\x42\x42\x41", 8);
  StatusOr<std::string> file =
      Serialize("T", {MakeTag("AMOUNT", "AMOUNT", 12, {{bcd, 1}}, 'N'),
                      MakeTag("WHEN", "WHEN", 8, {{julian, 1}}, 'D')}, 0);
  ASSERT_TRUE(file.ok()) << file.status().ToString();
  StatusOr<std::vector<TagInfo>> list = ParseTagList(*file);
  ASSERT_TRUE(list.ok()) << list.status().ToString();
  EXPECT_EQ((*list)[0].keyType, 'N');
  EXPECT_EQ((*list)[1].keyType, 'D');
  EXPECT_EQ(*ParseKeys(*file, "WHEN"), (std::vector<Key>{{julian, 1}}));
}

// The header fields that other dBASE readers look at.
TEST(Mdx, HeaderFieldsAreTheDbaseIvOnes) {
  std::vector<TagData> tags{MakeTag("Naim", "NAIM", 3, SortedKeys(10, 3)),
                            MakeTag("Dir", "DIR", 20, SortedKeys(10, 20)),
                            MakeTag("VidDir", "VID+DIR", 21, SortedKeys(10, 21))};
  StatusOr<std::string> got = Serialize("INSTAL", tags, 0x26);
  ASSERT_TRUE(got.ok());
  const std::string& f = *got;
  auto u8 = [&](size_t o) { return static_cast<unsigned>(static_cast<uint8_t>(f[o])); };
  auto u16 = [&](size_t o) { return u8(o) | (u8(o + 1) << 8); };
  auto u32 = [&](size_t o) { return u16(o) | (u16(o + 2) << 16); };

  EXPECT_EQ(u8(0), 2u);
  EXPECT_EQ(f.substr(4, 16), std::string("INSTAL\0\0\0\0\0\0\0\0\0\0", 16));
  EXPECT_EQ(u16(20), 2u);     // pages per block
  EXPECT_EQ(u16(22), 1024u);  // bytes per block
  EXPECT_EQ(u8(24), 1u);
  EXPECT_EQ(u8(25), 48u);
  EXPECT_EQ(u8(26), 32u);
  EXPECT_EQ(u16(28), 3u);
  EXPECT_EQ(u8(31), 0x26u);
  EXPECT_EQ(u32(32) * 512, f.size());
  EXPECT_EQ(f.size() % 1024, 0u);

  // Tag table: the name tree by name (Naim; Dir < Naim on its left;
  // VidDir > Naim on its right).
  const size_t e0 = 544, e1 = 576, e2 = 608;
  EXPECT_EQ(u8(e0 + 16), 2u);
  EXPECT_EQ(u8(e0 + 17), 3u);
  EXPECT_EQ(u8(e0 + 18), 0u);
  EXPECT_EQ(u8(e1 + 18), 1u);
  EXPECT_EQ(u8(e2 + 18), 1u);
  EXPECT_EQ(u8(e0 + 15), 0x10u);  // a field
  EXPECT_EQ(u8(e2 + 15), 0x00u);  // an expression
  for (size_t e : {e0, e1, e2}) {
    EXPECT_EQ(u8(e + 19), 2u);
    EXPECT_EQ(f[e + 20], 'C');
  }

  // Tag headers: item lengths key + 4 rounded to 4, max keys (1024-12)/item.
  struct Expect { size_t entry; unsigned keyLength, item, maxKeys, single; const char* expr; };
  for (const Expect& x : {Expect{e0, 3, 8, 126, 1, "NAIM"}, Expect{e1, 20, 24, 42, 1, "DIR"},
                          Expect{e2, 21, 28, 36, 0, "VID+DIR"}}) {
    const size_t h = u32(x.entry) * 512;
    SCOPED_TRACE(x.expr);
    EXPECT_EQ(u16(h + 12), x.keyLength);
    EXPECT_EQ(u16(h + 14), x.maxKeys);
    EXPECT_EQ(u16(h + 18), x.item);
    EXPECT_EQ(u8(h + 8), 0x10u);
    EXPECT_EQ(f[h + 9], 'C');
    EXPECT_EQ(u8(h + 11), 0x26u);
    EXPECT_STREQ(f.c_str() + h + 24, x.expr);
    EXPECT_EQ(u8(h + 480), x.single);
    // One leaf: root, first and last leaf are the block after the header.
    EXPECT_EQ(u32(h), u32(x.entry) + 2);
    EXPECT_EQ(u32(h + 248), u32(h));
    EXPECT_EQ(u32(h + 252), u32(h));
  }
}

struct BadInputCase {
  const char* name;
  std::function<void(std::vector<TagData>&)> spoil;
};

class MdxRejectsInput : public ::testing::TestWithParam<BadInputCase> {};

TEST_P(MdxRejectsInput, WithInvalidArgument) {
  std::vector<TagData> tags{MakeTag("NAIM", "NAIM", 4, {{"aaaa", 1}, {"bbbb", 2}}),
                            MakeTag("VID", "VID", 1, {{"a", 2}, {"b", 1}})};
  GetParam().spoil(tags);
  EXPECT_EQ(Serialize("INSTAL", tags, 0).status().code(), ErrorCode::kInvalidArgument);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MdxRejectsInput,
    ::testing::Values(
        BadInputCase{"TooManyTags", [](auto& t) { t.resize(48, t[0]);
                       for (size_t i = 0; i < t.size(); ++i) t[i].info.name = "T" + std::to_string(i); }},
        BadInputCase{"EmptyName", [](auto& t) { t[0].info.name = ""; }},
        BadInputCase{"NameOf11", [](auto& t) { t[0].info.name = "ABCDEFGHIJK"; }},
        BadInputCase{"NameTwiceInOtherCase", [](auto& t) { t[1].info.name = "naim"; }},
        BadInputCase{"EmptyExpression", [](auto& t) { t[0].info.expression = ""; }},
        BadInputCase{"ExpressionOf221", [](auto& t) { t[0].info.expression = std::string(221, 'A'); }},
        BadInputCase{"UnknownKeyType", [](auto& t) { t[0].info.keyType = 'L'; }},
        BadInputCase{"ShortKey", [](auto& t) { t[0].keys[1].first = "bbb"; }},
        BadInputCase{"RecordZero", [](auto& t) { t[0].keys[0].second = 0; }},
        BadInputCase{"KeysOutOfOrder", [](auto& t) { std::swap(t[0].keys[0], t[0].keys[1]); }},
        BadInputCase{"EqualKeysOutOfRecordOrder",
                     [](auto& t) { t[1].keys = {{"a", 5}, {"a", 4}}; }},
        BadInputCase{"SameRecordTwice", [](auto& t) { t[1].keys = {{"a", 5}, {"a", 5}}; }},
        BadInputCase{"DescendingTagGivenDescendingKeys", [](auto& t) {
                       t[0].info.descending = true; std::swap(t[0].keys[0], t[0].keys[1]); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- files written by other software ---------------------------------------

TEST(MdxSamples, DiscoAuthorTagHoldsEveryRecordInByteOrder) {
  const std::string mdx = ReadBytes(DataDir() / "disco.mdx");
  const std::vector<std::string> authors = DbfColumn(ReadBytes(DataDir() / "disco.DBF"), "AUTHOR");
  ASSERT_EQ(authors.size(), 1561u);

  StatusOr<std::vector<TagInfo>> list = ParseTagList(mdx);
  ASSERT_TRUE(list.ok()) << list.status().ToString();
  ASSERT_EQ(list->size(), 1u);
  EXPECT_EQ((*list)[0].name, "AUTHOR");
  EXPECT_EQ((*list)[0].expression, "AUTHOR");
  EXPECT_EQ((*list)[0].keyLength, 20);

  StatusOr<std::vector<Key>> keys = ParseKeys(mdx, "Author");
  ASSERT_TRUE(keys.ok()) << keys.status().ToString();
  std::vector<Key> expected;
  for (size_t r = 0; r < authors.size(); ++r) expected.emplace_back(authors[r], r + 1);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(*keys, expected);
}

TEST(MdxSamples, BdeSampleIdTagMatchesTheTable) {
  const std::string mdx = ReadBytes(DataDir() / "tdbf_demo.mdx");
  const std::vector<std::string> ids = DbfColumn(ReadBytes(DataDir() / "TDBF_DEMO.DBF"), "ID");
  ASSERT_FALSE(ids.empty());
  StatusOr<std::vector<TagInfo>> list = ParseTagList(mdx);
  ASSERT_TRUE(list.ok()) << list.status().ToString();
  ASSERT_EQ(list->size(), 1u);
  EXPECT_EQ((*list)[0].name, "ID");
  StatusOr<std::vector<Key>> keys = ParseKeys(mdx, "ID");
  ASSERT_TRUE(keys.ok()) << keys.status().ToString();
  std::vector<Key> expected;
  for (size_t r = 0; r < ids.size(); ++r) expected.emplace_back(ids[r], r + 1);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(*keys, expected);
}

// ---- agreement with XBase::Index -------------------------------------------

void ExpectPerlAgrees(const fs::path& mdx) {
  std::optional<TagKeys> perl = PerlKeys(mdx);
  if (!perl) VEM_SKIP_UNLESS_STRICT("perl with XBase::Index is not installed");
  const std::string bytes = ReadBytes(mdx);
  StatusOr<std::vector<TagInfo>> list = ParseTagList(bytes);
  ASSERT_TRUE(list.ok()) << list.status().ToString();
  ASSERT_EQ(perl->size(), list->size());
  for (const TagInfo& tag : *list) {
    SCOPED_TRACE(tag.name);
    ASSERT_EQ(perl->count(tag.name), 1u);
    StatusOr<std::vector<Key>> ours = ParseKeys(bytes, tag.name);
    ASSERT_TRUE(ours.ok()) << ours.status().ToString();
    if (tag.descending) {
      // The tree holds descending bytes, equal keys by ascending record.
      std::stable_sort(ours->begin(), ours->end(),
                       [](const Key& a, const Key& b) { return a.first > b.first; });
    }
    EXPECT_EQ(perl->at(tag.name), *ours);
  }
}

// Seeks through XBase::Index land where a seek in our key list lands: the
// interior keys route every probe to the right leaf (each is the largest
// key below it, equal keys included).
void ExpectPerlSeeksAgree(const fs::path& mdx, const std::string& tag) {
  if (!PerlKeys(mdx)) VEM_SKIP_UNLESS_STRICT("perl with XBase::Index is not installed");
  StatusOr<std::vector<Key>> keys = ParseKeys(ReadBytes(mdx), tag);
  ASSERT_TRUE(keys.ok() && !keys->empty());
  const size_t width = keys->front().first.size();
  std::vector<std::string> probes{std::string(width, ' '), std::string(width, '\xFF')};
  for (size_t i = 0; i < keys->size(); i += 1 + keys->size() / 150) {
    probes.push_back((*keys)[i].first);
    std::string between = (*keys)[i].first;  // just above this key
    between.back() = static_cast<char>(static_cast<uint8_t>(between.back()) + 1);
    probes.push_back(between);
  }
  const std::vector<std::optional<Key>> perl = PerlSeek(mdx, tag, probes);
  ASSERT_EQ(perl.size(), probes.size());
  for (size_t i = 0; i < probes.size(); ++i) {
    auto at = std::lower_bound(keys->begin(), keys->end(), probes[i],
                               [](const Key& k, const std::string& p) { return k.first < p; });
    std::optional<Key> expected;
    if (at != keys->end()) expected = *at;
    EXPECT_EQ(perl[i], expected) << "probe \"" << probes[i] << "\"";
  }
}

TEST(MdxPerl, AgreesOnTheSamples) {
  ExpectPerlAgrees(DataDir() / "disco.mdx");
  ExpectPerlAgrees(DataDir() / "tdbf_demo.mdx");
}

TEST(MdxPerl, AgreesOnOurFiles) {
  testing_support::TempPackage tmp;
  const fs::path path = tmp.root() / "INSTAL.MDX";
  std::vector<TagData> tags{
      MakeTag("NAIM", "NAIM", 100, SortedKeys(3000, 100)),  // four levels
      MakeTag("DIR", "DIR", 40, SortedKeys(2000, 40, 7)),   // a full node ends at byte 1020
      MakeTag("VID", "VID", 1, {{"a", 4}, {"b", 1}, {"b", 2}, {"i", 3}}),
      MakeTag("VIDDIR", "VID+DIR", 130, SortedKeys(50, 130)),  // cut to 100
      MakeTag("DOP", "DOP", 5, {}),
      MakeTag("NBDATE", "NBDATE", 8, SortedKeys(900, 8, 4)),
  };
  tags.back().info.descending = true;
  ASSERT_TRUE(Write(Env::Default(), path, "INSTAL", tags, 0x26).ok());
  ExpectPerlAgrees(path);
  for (const char* tag : {"NAIM", "DIR", "VID", "VIDDIR"}) {
    SCOPED_TRACE(tag);
    ExpectPerlSeeksAgree(path, tag);
  }
}

TEST(MdxPerl, SeeksAgreeOnTheDiscoSample) { ExpectPerlSeeksAgree(DataDir() / "disco.mdx", "AUTHOR"); }

// ---- through the Env -------------------------------------------------------

TEST(MdxFiles, WriteThenReadThroughTheEnv) {
  testing_support::TempPackage tmp;
  const fs::path path = tmp.root() / "INSTAL.MDX";
  EXPECT_EQ(ReadTagList(Env::Default(), path).status().code(), ErrorCode::kNotFound);
  EXPECT_EQ(ReadKeys(Env::Default(), path, "VID").status().code(), ErrorCode::kNotFound);

  std::vector<TagData> bad{MakeTag("VID", "VID", 1, {{"ab", 1}})};
  EXPECT_EQ(Write(Env::Default(), path, "INSTAL", bad, 0x26).code(), ErrorCode::kInvalidArgument);
  EXPECT_FALSE(fs::exists(path));

  std::vector<TagData> tags{MakeTag("VID", "VID", 1, {{"a", 2}, {"b", 1}})};
  ASSERT_TRUE(Write(Env::Default(), path, "INSTAL", tags, 0x26).ok());
  StatusOr<std::vector<TagInfo>> list = ReadTagList(Env::Default(), path);
  ASSERT_TRUE(list.ok()) << list.status().ToString();
  EXPECT_EQ(list->at(0).name, "VID");
  StatusOr<std::vector<Key>> keys = ReadKeys(Env::Default(), path, "vid");
  ASSERT_TRUE(keys.ok()) << keys.status().ToString();
  EXPECT_EQ(*keys, tags[0].keys);
  EXPECT_EQ(ReadKeys(Env::Default(), path, "NAIM").status().code(), ErrorCode::kNotFound);
}

// ---- damaged files ---------------------------------------------------------

// A good file: one tag of 300 keys, item 24, 42 per node: 8 leaves under
// the root. Header block at page 4, leaves at pages 6..20, root at 22.
std::string GoodFile() {
  StatusOr<std::string> f = Serialize("T", {MakeTag("AUTHOR", "AUTHOR", 20, SortedKeys(300, 20))}, 0);
  return f.ok() ? *f : std::string();
}
void Set32(std::string& f, size_t off, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[off + i] = static_cast<char>(v >> (8 * i));
}
uint32_t At32(const std::string& f, size_t off) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(f[off + i]);
  return v;
}
constexpr size_t kTagHeader = 4 * 512;
uint32_t RootPage(const std::string& f) { return At32(f, kTagHeader); }
size_t RootOffset(const std::string& f) { return size_t{RootPage(f)} * 512; }

struct DamageCase {
  const char* name;
  std::function<void(std::string&)> damage;
};

class MdxDamaged : public ::testing::TestWithParam<DamageCase> {};

TEST_P(MdxDamaged, IsCorruptNotACrash) {
  std::string f = GoodFile();
  ASSERT_EQ(RootPage(f), 22u);
  ASSERT_EQ(At32(f, RootOffset(f)), 7u);  // the root: 7 keys, 8 children
  ASSERT_TRUE(ParseKeys(f, "AUTHOR").ok());
  GetParam().damage(f);
  StatusOr<std::vector<TagInfo>> list = ParseTagList(f);
  StatusOr<std::vector<Key>> keys = ParseKeys(f, "AUTHOR");
  EXPECT_EQ(keys.status().code(), ErrorCode::kCorrupt) << keys.status().ToString();
  if (!list.ok()) {
    EXPECT_EQ(list.status().code(), ErrorCode::kCorrupt);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MdxDamaged,
    ::testing::Values(
        DamageCase{"Empty", [](std::string& f) { f.clear(); }},
        DamageCase{"TruncatedInFileHeader", [](std::string& f) { f.resize(2047); }},
        DamageCase{"TruncatedInTagHeader", [](std::string& f) { f.resize(kTagHeader + 100); }},
        DamageCase{"TruncatedInRoot", [](std::string& f) { f.resize(RootOffset(f) + 1000); }},
        DamageCase{"TruncatedInLeaves", [](std::string& f) { f.resize(12 * 512); }},
        DamageCase{"WrongVersion", [](std::string& f) { f[0] = 5; }},
        DamageCase{"BlockSizeNotPages", [](std::string& f) { f[22] = 1; }},
        DamageCase{"TooManyTagsInUse", [](std::string& f) { f[28] = static_cast<char>(200); }},
        DamageCase{"TagHeaderPastEnd", [](std::string& f) { Set32(f, 544, 0x7FFFFFFF); }},
        DamageCase{"TagHeaderInFileHeader", [](std::string& f) { Set32(f, 544, 1); }},
        DamageCase{"RootPastEnd", [](std::string& f) { Set32(f, kTagHeader, 100000); }},
        DamageCase{"RootPageHuge", [](std::string& f) { Set32(f, kTagHeader, 0xFFFFFFFF); }},
        DamageCase{"RootZero", [](std::string& f) { Set32(f, kTagHeader, 0); }},
        DamageCase{"KeyLengthZero", [](std::string& f) { f[kTagHeader + 12] = 0; }},
        DamageCase{"ItemShorterThanKey", [](std::string& f) { f[kTagHeader + 18] = 8; }},
        DamageCase{"ItemLongerThanBlock", [](std::string& f) { Set32(f, kTagHeader + 18, 2000); }},
        DamageCase{"UnknownKeyType", [](std::string& f) { f[kTagHeader + 9] = 'Q'; f[564] = 'Q'; }},
        DamageCase{"ChildPointsToRoot",
                   [](std::string& f) { Set32(f, RootOffset(f) + 8 + 24 * 3, RootPage(f)); }},
        DamageCase{"TwoChildrenShareALeaf",
                   [](std::string& f) { Set32(f, RootOffset(f) + 8 + 24, At32(f, RootOffset(f) + 8)); }},
        DamageCase{"ChildPastEnd",
                   [](std::string& f) { Set32(f, RootOffset(f) + 8 + 24 * 2, 0x00FFFFFF); }},
        DamageCase{"ChildInFileHeader", [](std::string& f) { Set32(f, RootOffset(f) + 8, 2); }},
        DamageCase{"RightmostChildPastEnd",
                   [](std::string& f) { Set32(f, RootOffset(f) + 8 + 24 * 7, 0xFFFFFFF0); }},
        DamageCase{"HugeKeyCountInRoot", [](std::string& f) { Set32(f, RootOffset(f), 0x7FFFFFFF); }},
        DamageCase{"HugeKeyCountInLeaf", [](std::string& f) { Set32(f, 6 * 512, 43); }},
        DamageCase{"LeafRecordZero", [](std::string& f) { Set32(f, 6 * 512 + 8, 0); }},
        // A leaf turned into an interior node whose only child is itself.
        DamageCase{"LeafPointsToItself",
                   [](std::string& f) { Set32(f, 6 * 512, 0); Set32(f, 6 * 512 + 8, 6); }},
        // The root's first child replaced by the tag header block.
        DamageCase{"ChildIsTheTagHeader", [](std::string& f) { Set32(f, RootOffset(f) + 8, 4); }}),
    [](const auto& info) { return std::string(info.param.name); });

// Every byte of a small two-tag file set to a few values: whatever the
// readers make of it, they return (no crash, no read outside the buffer
// under the sanitizers), and a read that succeeds stays bounded.
TEST(MdxDamaged, EveryByteChangedIsSurvived) {
  StatusOr<std::string> good = Serialize(
      "T", {MakeTag("A", "A", 8, SortedKeys(200, 8, 2)), MakeTag("B", "B+C", 3, SortedKeys(5, 3))}, 0);
  ASSERT_TRUE(good.ok());
  size_t failures = 0;
  for (size_t i = 0; i < good->size(); ++i) {
    for (uint8_t v : {0x00, 0xFF}) {
      std::string f = *good;
      if (static_cast<uint8_t>(f[i]) == v) continue;
      f[i] = static_cast<char>(v);
      StatusOr<std::vector<TagInfo>> list = ParseTagList(f);
      if (!list.ok()) {
        ++failures;
        ASSERT_EQ(list.status().code(), ErrorCode::kCorrupt);
        continue;
      }
      for (const TagInfo& t : *list) {
        StatusOr<std::vector<Key>> keys = ParseKeys(f, t.name);
        if (keys.ok()) {
          ASSERT_LE(keys->size(), f.size() / 5);  // 5 bytes per key at least
        } else {
          ASSERT_EQ(keys.status().code(), ErrorCode::kCorrupt) << keys.status().ToString();
        }
      }
    }
  }
  EXPECT_GT(failures, 0u);
}

}  // namespace
}  // namespace engine::mdx
