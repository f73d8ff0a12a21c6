#include "delivery/dispatch.h"

#include "core/cp1252.h"
#include "core/text_lines.h"
#include "delivery/relay_request.h"
#include "figures/stock_work_file.h"
#include "figures/top_list.h"

namespace sarvilax {
namespace {

constexpr char kSendingCaption[] = "L\xE4hetet\xE4\xE4n ";
constexpr char kMessageBoxTitle[] = " Zorvik";

}  // namespace

DispatchResult DispatchReport(RunContext& context, const std::vector<std::string>& message_lines,
                              int16_t kind, const std::string& confirmation) {
  Env& env = context.env;
  Window& window = context.window;
  env.WriteWholeFile(kBodyWorkFileName, JoinLinesCrLf(message_lines));
  const std::string body = env.ReadWholeFile(kBodyWorkFileName);
  const std::string attachment = env.ReadWholeFile(kTopListFileName);

  DispatchResult result;
  std::string sent_list;
  window.SetProgress(0);
  const std::vector<std::string>& recipients = context.configuration.recipients;
  for (size_t i = 0; i < recipients.size(); ++i) {
    const std::string address = ToLowerCp1252(recipients[i]);
    window.SetPhase(kSendingCaption + address);
    std::string failure;
    if (SendReportMail(context.transfer, context.relay, context.configuration.shop_name, address,
                       body, attachment, kind, &failure)) {
      sent_list += "\r\n  -  " + address;
      result.accepted.push_back(address);
    } else if (!IsBlankRecipient(address)) {
      result.refused.push_back({address, failure});
    }
    window.SetProgress(ProgressPercent(static_cast<int64_t>(i) + 1, recipients.size()));
  }

  DeleteWorkFile(env, kStockWorkFileName);
  DeleteWorkFile(env, kTopListFileName);
  DeleteWorkFile(env, kBodyWorkFileName);
  window.SetVisible(false);
  if (context.command_line == CommandLine::kEmpty) {
    window.ShowMessageBox(kMessageBoxTitle, confirmation + sent_list);
  }
  return result;
}

}  // namespace sarvilax
