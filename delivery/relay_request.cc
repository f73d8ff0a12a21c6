#include "delivery/relay_request.h"

#include <optional>
#include <utility>

#include "delivery/signature.h"

namespace sarvilax {

namespace {

constexpr char kSenderName[] = "Zorvik";
constexpr char kAttachmentName[] = "Top20.txt";
constexpr char kSignatureSalt[] = "MURKULA";
constexpr char kScriptPath[] = "/sendmail.php";
constexpr char kConfirmation[] = "True";

std::string LowerCaseHex(std::string hex) {
  for (char& c : hex) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  return hex;
}

// The base URL without "scheme://".
std::string RelayHost(const std::string& base_url) {
  const size_t scheme_end = base_url.find("://");
  return scheme_end == std::string::npos ? base_url : base_url.substr(scheme_end + 3);
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

void AppendPercentEncoded(const std::string& value, std::string* out) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsUnreserved(byte)) {
      out->push_back(c);
    } else {
      out->push_back('%');
      out->push_back(kDigits[byte >> 4]);
      out->push_back(kDigits[byte & 0x0F]);
    }
  }
}

// The transfer's own failure, or the first characters of what the relay
// said, shown printable.
std::string DescribeRefusal(const HttpTransfer& transfer, const std::string& reply) {
  if (!transfer.LastFailure().empty()) return transfer.LastFailure();
  if (reply.empty()) return "the relay gave an empty reply";
  std::string shown;
  for (char c : reply.substr(0, 40)) {
    const auto byte = static_cast<unsigned char>(c);
    shown += (byte >= 0x20 && byte < 0x7F) ? c : '?';
  }
  return "the relay answered \"" + shown + "\"";
}

}  // namespace

std::string ReportSubject(const std::string& shop_name, int16_t kind) {
  switch (kind) {
    case 0:
      return shop_name + " viikkoraportti";
    case 1:
      return shop_name + " kuukausiraportti";
    case 2:
      return shop_name + " puolivuotisraportti";
    case 3:
      return shop_name + " vuosiraportti";
    default:
      return shop_name;
  }
}

RelayRequest BuildRelayRequest(const RelayConfig& config, const std::string& shop_name,
                               const std::string& recipient, const std::string& body,
                               const std::string& attachment, int16_t kind) {
  RelayRequest request;
  request.f = config.sender_address;
  request.t = recipient;
  request.n = kSenderName;
  request.s = ReportSubject(shop_name, kind);
  request.b = HexEncodeText(body);
  request.l = kAttachmentName;
  request.d = HexEncodeText(attachment);
  const std::string signature_input = kSignatureSalt + request.f + request.t + request.n +
                                      request.s + body + kAttachmentName + attachment;
  const std::optional<std::string> digest = Md5Hex(signature_input);
  if (digest.has_value()) request.h = LowerCaseHex(*digest);
  return request;
}

std::string RequestAddressText(const RelayConfig& config, const RelayRequest& request) {
  return RelayHost(config.base_url) + kScriptPath + "?f=" + request.f + "&t=" + request.t +
         "&n=" + request.n + "&s=" + request.s + "&b=" + request.b + "&h=" + request.h +
         "&l=" + request.l + "&d=" + request.d;
}

std::string FormBody(const RelayRequest& request) {
  const std::pair<const char*, const std::string*> fields[] = {
      {"f=", &request.f},  {"&t=", &request.t}, {"&n=", &request.n}, {"&s=", &request.s},
      {"&b=", &request.b}, {"&h=", &request.h}, {"&l=", &request.l}, {"&d=", &request.d}};
  std::string body;
  body.reserve(request.b.size() + request.d.size() + 256);
  for (const auto& [key, value] : fields) {
    body += key;
    AppendPercentEncoded(*value, &body);
  }
  return body;
}

bool IsBlankRecipient(const std::string& recipient) {
  return recipient.find_first_not_of(' ') == std::string::npos;
}

bool SendReportMail(HttpTransfer& transfer, const RelayConfig& config, const std::string& shop_name,
                    const std::string& recipient, const std::string& body,
                    const std::string& attachment, int16_t kind, std::string* failure) {
  std::string why;
  try {
    if (IsBlankRecipient(recipient)) {
      why = "blank address";
    } else {
      const RelayRequest request =
          BuildRelayRequest(config, shop_name, recipient, body, attachment, kind);
      const std::string reply = transfer.Post(config.base_url + kScriptPath, FormBody(request));
      if (reply.starts_with(kConfirmation)) return true;
      why = DescribeRefusal(transfer, reply);
    }
  } catch (...) {
    why = "the request could not be built";
  }
  // A failed transfer is reported only by the result; the caller leaves
  // the recipient out of the sent list.
  if (failure != nullptr) *failure = why;
  return false;
}

}  // namespace sarvilax
