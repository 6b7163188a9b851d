#include "location/mmdb_writer.h"

#include <arpa/inet.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

namespace tnwk::testing {

namespace {

// Data section type numbers.
enum Type : int {
  kPointer = 1,
  kString = 2,
  kDouble = 3,
  kUint16 = 5,
  kUint32 = 6,
  kMap = 7,
  kInt32 = 8,
  kUint64 = 9,
  kArray = 11,
  kBoolean = 14,
  kFloat = 15,
};

struct Value {
  int type = kMap;
  std::string text;
  double number = 0;
  uint64_t integer = 0;
  std::vector<std::pair<std::string, Value>> members;  // map
  std::vector<Value> items;                            // array
};

void PutControl(std::string& out, int type, uint32_t size) {
  uint8_t first = static_cast<uint8_t>((type <= 7 ? type : 0) << 5);
  std::string extra;
  if (size < 29) {
    first |= size;
  } else if (size < 29 + 256) {
    first |= 29;
    extra.push_back(static_cast<char>(size - 29));
  } else if (size < 285 + 65536) {
    first |= 30;
    uint32_t rest = size - 285;
    extra.push_back(static_cast<char>(rest >> 8));
    extra.push_back(static_cast<char>(rest));
  } else {
    first |= 31;
    uint32_t rest = size - 65821;
    extra.push_back(static_cast<char>(rest >> 16));
    extra.push_back(static_cast<char>(rest >> 8));
    extra.push_back(static_cast<char>(rest));
  }
  out.push_back(static_cast<char>(first));
  if (type > 7) out.push_back(static_cast<char>(type - 7));
  out += extra;
}

// Big-endian, without leading zero bytes.
void PutUnsigned(std::string& out, int type, uint64_t value) {
  std::string bytes;
  for (; value != 0; value >>= 8) {
    bytes.insert(bytes.begin(), static_cast<char>(value & 0xFF));
  }
  PutControl(out, type, static_cast<uint32_t>(bytes.size()));
  out += bytes;
}

void PutString(std::string& out, std::string_view text) {
  PutControl(out, kString, static_cast<uint32_t>(text.size()));
  out += text;
}

void Encode(std::string& out, const Value& v) {
  switch (v.type) {
    case kString:
      PutString(out, v.text);
      break;
    case kDouble: {
      uint64_t bits;
      std::memcpy(&bits, &v.number, 8);
      PutControl(out, kDouble, 8);
      for (int shift = 56; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>(bits >> shift));
      }
      break;
    }
    case kFloat: {
      float f = static_cast<float>(v.number);
      uint32_t bits;
      std::memcpy(&bits, &f, 4);
      PutControl(out, kFloat, 4);
      for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>(bits >> shift));
      }
      break;
    }
    case kUint16:
    case kUint32:
    case kUint64:
    case kInt32:
      PutUnsigned(out, v.type, v.integer);
      break;
    case kBoolean:
      PutControl(out, kBoolean, v.integer != 0);
      break;
    case kArray:
      PutControl(out, kArray, static_cast<uint32_t>(v.items.size()));
      for (const Value& item : v.items) Encode(out, item);
      break;
    default:
      PutControl(out, kMap, static_cast<uint32_t>(v.members.size()));
      for (const auto& [key, member] : v.members) {
        PutString(out, key);
        Encode(out, member);
      }
      break;
  }
}

Value& Member(Value& map, const std::string& key) {
  for (auto& [name, member] : map.members) {
    if (name == key) return member;
  }
  map.members.emplace_back(key, Value());
  return map.members.back().second;
}

// Places `leaf` at the dotted `path` inside `root`.
bool Place(Value& root, const std::string& path, Value leaf) {
  Value* at = &root;
  std::stringstream parts(path);
  std::string part;
  std::vector<std::string> names;
  while (std::getline(parts, part, '.')) names.push_back(part);
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    const bool index = !name.empty() && name.find_first_not_of("0123456789") ==
                                            std::string::npos;
    Value* next;
    if (index) {
      if (at->type != kArray && !(at->members.empty() && at->items.empty())) {
        return false;
      }
      at->type = kArray;
      size_t n = std::strtoul(name.c_str(), nullptr, 10);
      if (at->items.size() <= n) at->items.resize(n + 1);
      next = &at->items[n];
    } else {
      if (at->type != kMap) return false;
      next = &Member(*at, name);
    }
    at = next;
  }
  *at = std::move(leaf);
  return true;
}

bool ParseLeaf(const std::string& type, const std::string& text, Value* v) {
  if (type.empty() || type == "string") {
    v->type = kString;
    v->text = text;
  } else if (type == "double" || type == "float") {
    v->type = type == "double" ? kDouble : kFloat;
    v->number = std::strtod(text.c_str(), nullptr);
  } else if (type == "bool") {
    v->type = kBoolean;
    v->integer = text == "true";
  } else if (type == "u16" || type == "u32" || type == "u64" || type == "i32") {
    v->type = type == "u16"   ? kUint16
              : type == "u32" ? kUint32
              : type == "u64" ? kUint64
                              : kInt32;
    v->integer = std::strtoull(text.c_str(), nullptr, 10);
  } else {
    return false;
  }
  return true;
}

struct Network {
  std::array<uint8_t, 16> bits{};
  int length = 0;  // in bits of the tree
  Value data;
};

bool ParseNetwork(const std::string& text, int ip_version, Network* net) {
  size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  std::string address = text.substr(0, slash);
  int prefix = std::atoi(text.c_str() + slash + 1);
  uint8_t v6[16];
  uint8_t v4[4];
  if (inet_pton(AF_INET, address.c_str(), v4) == 1 && prefix >= 1 &&
      prefix <= 32) {
    if (ip_version == 4) {
      std::memcpy(net->bits.data(), v4, 4);
      net->length = prefix;
    } else {
      std::memcpy(net->bits.data() + 12, v4, 4);
      net->length = 96 + prefix;
    }
    return true;
  }
  if (ip_version == 6 && inet_pton(AF_INET6, address.c_str(), v6) == 1 &&
      prefix >= 1 && prefix <= 128) {
    std::memcpy(net->bits.data(), v6, 16);
    net->length = prefix;
    return true;
  }
  return false;
}

// A search tree node's two records: another node, no data, or data at an
// offset of the data section.
struct Record {
  enum Kind { kEmpty, kNode, kData } kind = kEmpty;
  uint32_t value = 0;
};

}  // namespace

std::string BuildMmdb(std::string_view table, std::string* error) {
  std::string database_type = "Test";
  int ip_version = 6;
  std::vector<std::string> languages;
  std::vector<Network> networks;
  std::istringstream lines{std::string(table)};
  std::string line;
  int line_no = 0;
  auto fail = [&](const char* why) {
    *error = "line " + std::to_string(line_no) + ": " + why + ": " + line;
    return std::string();
  };
  while (std::getline(lines, line)) {
    ++line_no;
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    size_t space = line.find(' ', start);
    std::string word = line.substr(start, space - start);
    std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (start != 0) {
      if (networks.empty()) return fail("field before any network");
      size_t colon = word.find(':');
      std::string type =
          colon == std::string::npos ? "" : word.substr(colon + 1);
      Value leaf;
      if (!ParseLeaf(type, rest, &leaf)) return fail("unknown type");
      if (!Place(networks.back().data, word.substr(0, colon), leaf)) {
        return fail("path clashes with an earlier field");
      }
    } else if (word == "database_type") {
      database_type = rest;
    } else if (word == "ip_version") {
      ip_version = std::atoi(rest.c_str()) == 4 ? 4 : 6;
    } else if (word == "languages") {
      std::istringstream names(rest);
      for (std::string name; names >> name;) languages.push_back(name);
    } else if (word == "network") {
      Network net;
      if (!ParseNetwork(rest, ip_version, &net)) return fail("bad network");
      networks.push_back(std::move(net));
    } else {
      return fail("unknown line");
    }
  }

  // The data section: each network's record in turn.
  std::string data;
  std::vector<std::array<Record, 2>> nodes(1);
  for (const Network& net : networks) {
    const uint32_t offset = static_cast<uint32_t>(data.size());
    Encode(data, net.data);
    uint32_t node = 0;
    for (int i = 0; i < net.length; ++i) {
      int bit = (net.bits[i / 8] >> (7 - i % 8)) & 1;
      Record& record = nodes[node][bit];
      if (i == net.length - 1) {
        if (record.kind != Record::kEmpty) return fail("overlapping networks");
        record = {Record::kData, offset};
        break;
      }
      if (record.kind == Record::kData) return fail("overlapping networks");
      if (record.kind == Record::kEmpty) {
        record = {Record::kNode, static_cast<uint32_t>(nodes.size())};
        nodes.emplace_back();  // `record` is not used after this
      }
      node = nodes[node][bit].value;
    }
  }

  const uint32_t node_count = static_cast<uint32_t>(nodes.size());
  std::string file;
  for (const auto& node : nodes) {
    for (const Record& record : node) {
      uint32_t value = record.kind == Record::kNode ? record.value
                       : record.kind == Record::kData
                           ? node_count + 16 + record.value
                           : node_count;
      file.push_back(static_cast<char>(value >> 16));
      file.push_back(static_cast<char>(value >> 8));
      file.push_back(static_cast<char>(value));
    }
  }
  file.append(16, '\0');
  file += data;
  file += "\xAB\xCD\xEFMaxMind.com";

  Value metadata;
  auto number = [](int type, uint64_t n) {
    Value v;
    v.type = type;
    v.integer = n;
    return v;
  };
  Member(metadata, "node_count") = number(kUint32, node_count);
  Member(metadata, "record_size") = number(kUint16, 24);
  Member(metadata, "ip_version") = number(kUint16, ip_version);
  Value type;
  type.type = kString;
  type.text = database_type;
  Member(metadata, "database_type") = type;
  Value list;
  list.type = kArray;
  for (const std::string& name : languages) {
    Value v;
    v.type = kString;
    v.text = name;
    list.items.push_back(v);
  }
  Member(metadata, "languages") = list;
  Member(metadata, "binary_format_major_version") = number(kUint16, 2);
  Member(metadata, "binary_format_minor_version") = number(kUint16, 0);
  Member(metadata, "build_epoch") = number(kUint64, 1700000000);
  Member(metadata, "description") = Value();
  Encode(file, metadata);
  return file;
}

bool WriteMmdbFile(const std::string& path, std::string_view table,
                   std::string* error) {
  std::string contents = BuildMmdb(table, error);
  if (contents.empty()) return false;
  std::ofstream out(path, std::ios::binary);
  out << contents;
  out.close();
  if (!out) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace tnwk::testing
