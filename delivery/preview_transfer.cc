#include "delivery/preview_transfer.h"

#include <cstdio>
#include <map>

#include "core/cp1252.h"
#include "core/error.h"

namespace sarvilax {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string DecodeHex(std::string_view hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(HexDigit(hex[i]) * 16 + HexDigit(hex[i + 1]));
  }
  return bytes;
}

std::map<std::string, std::string> DecodeForm(std::string_view body) {
  std::map<std::string, std::string> fields;
  while (!body.empty()) {
    const size_t amp = body.find('&');
    const std::string_view pair = body.substr(0, amp);
    const size_t eq = pair.find('=');
    fields[std::string(pair.substr(0, eq))] =
        eq == std::string_view::npos ? "" : DecodeFormValue(pair.substr(eq + 1));
    body = amp == std::string_view::npos ? "" : body.substr(amp + 1);
  }
  return fields;
}

// Letters, digits and the address characters stay; anything else, which a
// file name might not hold, becomes '_'.
std::string SafeFileName(const std::string& text) {
  std::string name;
  for (char c : text) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '@' || c == '.' || c == '-' || c == '_';
    name += plain ? c : '_';
  }
  return name.substr(0, 100);
}

class PreviewTransfer : public ClientTransfer {
 public:
  PreviewTransfer(Env& env, std::string folder) : env_(env), folder_(std::move(folder)) {
    if (!folder_.ends_with('/')) folder_ += '/';
    next_number_ = static_cast<int>(env_.ListDirectory(folder_).size()) + 1;
  }

 private:
  std::string Transfer(const std::string& url, const std::string& form_body) override {
    auto fields = DecodeForm(form_body);
    char number[16];
    std::snprintf(number, sizeof number, "%03d ", next_number_);
    const std::string path = folder_ + number + SafeFileName(fields["t"]) + ".txt";
    const std::string text =
        "To: " + Cp1252ToUtf8(fields["t"]) + "\nSubject: " + Cp1252ToUtf8(fields["s"]) +
        "\nFrom: " + Cp1252ToUtf8(fields["n"]) + " <" + Cp1252ToUtf8(fields["f"]) +
        ">\nRelay: " + url + "\n\n" + Cp1252ToUtf8(DecodeHex(fields["b"])) + "\n--- " +
        Cp1252ToUtf8(fields["l"]) + " ---\n" + Cp1252ToUtf8(DecodeHex(fields["d"])) +
        "\n--- form body ---\n" + form_body + "\n";
    try {
      env_.WriteWholeFile(path, text);
    } catch (const Error& e) {
      return Fails(e.what());
    }
    ++next_number_;
    return "True";
  }

  Env& env_;
  std::string folder_;
  int next_number_;
};

}  // namespace

std::string DecodeFormValue(std::string_view value) {
  std::string bytes;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '%' && i + 2 < value.size() && HexDigit(value[i + 1]) >= 0 &&
        HexDigit(value[i + 2]) >= 0) {
      bytes += static_cast<char>(HexDigit(value[i + 1]) * 16 + HexDigit(value[i + 2]));
      i += 2;
    } else {
      bytes += value[i] == '+' ? ' ' : value[i];
    }
  }
  return bytes;
}

std::unique_ptr<HttpTransfer> NewPreviewTransfer(Env& env, const std::string& folder) {
  return std::make_unique<PreviewTransfer>(env, folder);
}

std::unique_ptr<HttpTransfer> NewTransferFor(const RelayConfig& config) {
  if (!config.preview_folder.empty())
    return NewPreviewTransfer(DefaultEnv(), config.preview_folder);
  return NewHttpsTransfer(config);
}

}  // namespace sarvilax
