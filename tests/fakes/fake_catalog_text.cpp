// The text form of fake catalog data.
#include <charconv>
#include <fstream>
#include <iterator>

#include "fakes/fake_catalog.h"

namespace {

struct Token {
  bool quoted = false;
  std::string bare;                 // an unquoted word
  std::basic_string<OLECHAR> text;  // a quoted text, escapes resolved
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the quoted text that starts at line[at] (the opening quote); at ends past the closing
// quote.
bool ReadQuoted(std::string_view line, std::size_t& at, Token* token, std::string* error) {
  for (++at; at < line.size(); ++at) {
    const char c = line[at];
    if (c == '"') {
      ++at;
      return true;
    }
    if (static_cast<unsigned char>(c) >= 0x80) {
      *error = "only ASCII in quotes; write other characters as \\uXXXX";
      return false;
    }
    if (c != '\\') {
      token->text.push_back(static_cast<OLECHAR>(c));
      continue;
    }
    if (++at == line.size()) break;
    if (line[at] == '"' || line[at] == '\\') {
      token->text.push_back(static_cast<OLECHAR>(line[at]));
      continue;
    }
    int unit = 0;
    for (int i = 1; i <= 4 && line[at] == 'u'; ++i) {
      const int digit = at + i < line.size() ? HexDigit(line[at + i]) : -1;
      if (digit < 0) unit = -1;
      if (unit >= 0) unit = unit * 16 + digit;
    }
    if (line[at] != 'u' || unit < 0) {
      *error = "unknown escape in quotes";
      return false;
    }
    token->text.push_back(static_cast<OLECHAR>(unit));
    at += 4;
  }
  *error = "quote not closed";
  return false;
}

bool Tokenize(std::string_view line, std::vector<Token>* tokens, std::string* error) {
  std::size_t at = 0;
  while (at < line.size()) {
    const char c = line[at];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++at;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      Token token;
      token.quoted = true;
      if (!ReadQuoted(line, at, &token, error)) return false;
      tokens->push_back(std::move(token));
    } else {
      const std::size_t end = line.find_first_of(" \t\r\"#", at);
      Token token;
      token.bare = std::string(line.substr(at, end - at));
      tokens->push_back(std::move(token));
      at = end == std::string_view::npos ? line.size() : end;
    }
  }
  return true;
}

template <class Number>
bool ParseNumber(std::string_view text, int base, Number* number) {
  const char* end = text.data() + text.size();
  const auto [stop, problem] = std::from_chars(text.data(), end, *number, base);
  return problem == std::errc() && stop == end && !text.empty();
}

bool ParseValue(const Token& token, FakeValue* value) {
  *value = FakeValue{};
  if (token.quoted) {
    value->type = VT_BSTR;
    value->text = token.text;
  } else if (token.bare == "nulltext") {
    value->type = VT_BSTR;
    value->nullText = true;
  } else if (token.bare == "null") {
    value->type = VT_NULL;
  } else if (token.bare == "empty") {
    value->type = VT_EMPTY;
  } else {
    value->type = VT_I4;
    return ParseNumber(token.bare, 10, &value->number);
  }
  return true;
}

bool KnownTarget(const std::string& target) {
  for (const char* fixed : {"class", "catalog", "applications"})
    if (target == fixed) return true;
  for (const char* prefix : {"application:", "components:", "component:"})
    if (target.starts_with(prefix) && target.size() > std::string_view(prefix).size()) return true;
  return false;
}

bool KnownCall(const std::string& call) {
  for (const char* name : {"CreateInstance", "QueryInterface", "GetCollection", "Populate", "Count",
                           "Name", "Key", "Value"})
    if (call == name) return true;
  long index = 0;
  return call.starts_with("Item(") && call.ends_with(")") &&
         ParseNumber(std::string_view(call).substr(5, call.size() - 6), 10, &index);
}

bool ParseFault(const std::vector<Token>& tokens, FakeFault* fault, std::string* error) {
  if (tokens.size() != 5 || tokens[1].quoted || tokens[2].quoted) {
    *error = "expected: fail <target> <call> <n>|* <hresult>|nothing";
    return false;
  }
  fault->target = tokens[1].bare;
  fault->call = tokens[2].bare;
  if (!KnownTarget(fault->target) || !KnownCall(fault->call)) {
    *error = "unknown target or call";
    return false;
  }
  const std::string& occurrence = tokens[3].bare;
  if (occurrence != "*" &&
      (!ParseNumber(occurrence, 10, &fault->occurrence) || fault->occurrence < 1)) {
    *error = "the occurrence is a number from 1, or *";
    return false;
  }
  const std::string& outcome = tokens[4].bare;
  fault->deliverNothing = outcome == "nothing";
  std::uint32_t code = 0;
  if (!fault->deliverNothing &&
      !(outcome.starts_with("0x") && ParseNumber(outcome.substr(2), 16, &code))) {
    *error = "the outcome is nothing or an HRESULT such as 0x80004005";
    return false;
  }
  fault->failure = static_cast<HRESULT>(code);
  return true;
}

bool ParseStatement(const std::vector<Token>& tokens, FakeCatalogData* data, std::string* error) {
  const std::string& keyword = tokens[0].bare;
  if (keyword == "application" && (tokens.size() == 2 || tokens.size() == 4)) {
    FakeApplication application;
    if (!ParseValue(tokens[1], &application.name)) return *error = "bad name", false;
    const std::string key = "{APP-" + std::to_string(data->applications.size()) + '}';
    application.key = std::basic_string<OLECHAR>(key.begin(), key.end());
    if (tokens.size() == 4) {
      if (tokens[2].bare != "key" || !tokens[3].quoted) return *error = "bad key", false;
      application.key = tokens[3].text;
    }
    data->applications.push_back(std::move(application));
    return true;
  }
  if (keyword == "component" && tokens.size() == 4 && tokens[2].bare == "dll") {
    if (data->applications.empty()) return *error = "a component needs an application", false;
    FakeComponent component;
    if (!ParseValue(tokens[1], &component.name) || !ParseValue(tokens[3], &component.dll))
      return *error = "bad value", false;
    data->applications.back().components.push_back(std::move(component));
    return true;
  }
  if (keyword == "fail") {
    FakeFault fault;
    if (!ParseFault(tokens, &fault, error)) return false;
    data->faults.push_back(std::move(fault));
    return true;
  }
  *error = "unknown statement";
  return false;
}

}  // namespace

bool ParseFakeCatalog(std::string_view text, FakeCatalogData* data, std::string* error) {
  *data = FakeCatalogData{};
  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    std::vector<Token> tokens;
    std::string problem;
    if (Tokenize(line, &tokens, &problem) &&
        (tokens.empty() || (!tokens[0].quoted && ParseStatement(tokens, data, &problem))))
      continue;
    if (problem.empty()) problem = "unknown statement";
    *error = "line " + std::to_string(number) + ": " + problem;
    return false;
  }
  return true;
}

bool LoadFakeCatalogFile(const char* path, FakeCatalogData* data, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (!file && !file.eof()) {
    *error = std::string("cannot read ") + path;
    return false;
  }
  return ParseFakeCatalog(text, data, error);
}
