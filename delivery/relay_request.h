// One report mail as a signed request to the mail relay (sendmail.php).
//
// A request carries eight fields, always in the order f, t, n, s, b, h, l, d:
// sender address, recipient, sender name, subject, body as hex, signature,
// attachment file name and attachment as hex. The signature is the lower-case
// MD5 of "MURKULA", sender, recipient, sender name, subject, raw body,
// "Top20.txt" and raw attachment, run together; the relay recomputes it.
//
// The request address text keeps the historical unescaped form
// (host/sendmail.php?f=...&t=...). On the wire, though, each value is
// percent-encoded in a form body: sent unescaped, a shop name holding "&" or a
// recipient holding "+" would reach the relay cut or altered, its signature
// check would fail and the report would be lost without a word. Encoded, the
// relay gets every value back byte for byte.
#ifndef SARVILAX_DELIVERY_RELAY_REQUEST_H_
#define SARVILAX_DELIVERY_RELAY_REQUEST_H_

#include <cstdint>
#include <string>

#include "delivery/http_transfer.h"

namespace sarvilax {

// The eight values of one request, named by their keys.
struct RelayRequest {
  std::string f;  // sender address
  std::string t;  // recipient, as passed
  std::string n;  // sender name
  std::string s;  // subject
  std::string b;  // body as hex
  std::string h;  // signature: 32 lower-case hex digits, or empty
  std::string l;  // attachment file name
  std::string d;  // attachment as hex
};

// shop_name followed by the suffix of kind: 0 weekly, 1 monthly,
// 2 half-year, 3 year; any other kind gives shop_name alone.
std::string ReportSubject(const std::string& shop_name, int16_t kind);

// The request for one recipient. The signature is empty when the digest
// cannot be computed; the request is still complete.
RelayRequest BuildRelayRequest(const RelayConfig& config, const std::string& shop_name,
                               const std::string& recipient, const std::string& body,
                               const std::string& attachment, int16_t kind);

// The unescaped request address: the relay host (the base URL without its
// scheme), "/sendmail.php?f=", the sender, "&t=", the recipient and so on up
// to "&d=" and the attachment hex.
std::string RequestAddressText(const RelayConfig& config, const RelayRequest& request);

// "f=...&t=...&n=...&s=...&b=...&h=...&l=...&d=...": every byte of every
// value other than A-Z a-z 0-9 - . _ ~ written as %XX.
std::string FormBody(const RelayRequest& request);

// A recipient of nothing but spaces (only the space character counts),
// which is skipped without a request.
bool IsBlankRecipient(const std::string& recipient);

// Posts the request for one recipient to base_url + "/sendmail.php" and
// returns true exactly when the reply begins with "True" (letter case
// counts). A recipient of nothing but spaces gives false without a transfer.
// Never throws: any failure gives false, and failure (when given) is set to
// why: the transfer's failure or the start of the relay's reply.
bool SendReportMail(HttpTransfer& transfer, const RelayConfig& config, const std::string& shop_name,
                    const std::string& recipient, const std::string& body,
                    const std::string& attachment, int16_t kind, std::string* failure = nullptr);

}  // namespace sarvilax

#endif  // SARVILAX_DELIVERY_RELAY_REQUEST_H_
