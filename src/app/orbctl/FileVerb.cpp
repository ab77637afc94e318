#include "FileVerb.h"

#include <fstream>
#include <iterator>
#include <optional>

#include "Options.h"
#include "VerbArguments.h"
#include "admin/FileRequest.h"
#include "admin/ReplyWait.h"
#include "view/ReplyMailbox.h"

namespace orbctl {
namespace {

std::vector<uint8_t> ReadLocalFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw UsageError("file put: cannot read " + path);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteLocalFile(const std::string& path, const uint8_t* bytes, size_t count) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(count));
  if (!file.flush()) throw TextError("file get: cannot write " + path);
}

// Sends, then runs the window thread, here at the top of the verb, until the
// unit's answer is stored or the wait's time has passed; returns the status,
// still the awaited one when no answer came.
int32_t AwaitFileReply(HeadlessClient& client, const std::function<void()>& send) {
  std::optional<int32_t> status;
  admin::ReplyWait wait(client.Window());
  wait.Start(
      client.Viewer().Dispatcher().FileReply(), send, admin::REPLY_TIMEOUT_MS,
      [&](int32_t replied) { status = replied; }, [&] { status = admin::REPLY_AWAITED; });
  client.RunUntil([&] { return status.has_value(); });
  return *status;
}

}  // namespace

UnitFileRequest ParseUnitFileArguments(const std::vector<std::string>& arguments) {
  UnitFileRequest request;
  CLI::App app("", "file");
  app.set_help_flag();
  app.require_subcommand(1);
  CLI::App* get = app.add_subcommand("get", "save a file of the unit");
  get->set_help_flag();
  get->add_option("UNIT_PATH", request.unitPath)->required();
  get->add_option("LOCAL_FILE", request.localFile)->required();
  CLI::App* put = app.add_subcommand("put", "store a file on the unit");
  put->set_help_flag();
  put->add_option("LOCAL_FILE", request.localFile)->required();
  put->add_option("UNIT_PATH", request.unitPath)->required();
  ParseVerbArguments(app, arguments);
  request.put = put->parsed();
  const std::string verb = request.put ? "file put: " : "file get: ";
  try {
    admin::CheckUnitPath(request.unitPath);
    if (request.put) {
      request.data = ReadLocalFile(request.localFile);
      admin::PutFilePayload(request.unitPath, request.data);
    }
  } catch (const UsageError&) {
    throw;
  } catch (const TextError& e) {
    throw UsageError(verb + e.Text());
  }
  return request;
}

void RunUnitFile(HeadlessClient& client, const UnitFileRequest& request) {
  client.LogIn();
  session::Session& session = client.Viewer().Session();
  if (request.put) {
    const int32_t status = AwaitFileReply(
        client, [&] { admin::SendPutFile(session, request.unitPath, request.data); });
    const std::string failure = admin::PutFileFailure(status);
    if (!failure.empty()) throw TextError("file put " + request.unitPath + ": " + failure);
    return;
  }
  const int32_t status =
      AwaitFileReply(client, [&] { admin::SendGetFile(session, request.unitPath); });
  const std::string failure = admin::GetFileFailure(status);
  if (!failure.empty()) throw TextError("file get " + request.unitPath + ": " + failure);
  const view::ReplyMailbox& mailbox = client.Viewer().Dispatcher().FileReply();
  WriteLocalFile(request.localFile, mailbox.Data(), mailbox.Length());
}

}  // namespace orbctl
