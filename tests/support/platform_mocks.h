#ifndef TOLVANE_TESTS_SUPPORT_PLATFORM_MOCKS_H_
#define TOLVANE_TESTS_SUPPORT_PLATFORM_MOCKS_H_

#include <gmock/gmock.h>

#include "core/main_window_host.h"
#include "platform/clipboard.h"
#include "platform/dialler.h"
#include "platform/help_viewer.h"
#include "platform/http_client.h"
#include "platform/mail_client.h"
#include "platform/serial_port.h"
#include "platform/tcp_connection.h"

namespace tolvane::testing {

class MockMainWindowHost : public MainWindowHost {
 public:
  MOCK_METHOD(void, OpenPhoneBook, (), (override));
  MOCK_METHOD(void, OpenQuickMessages, (), (override));
  MOCK_METHOD(void, OpenSettings, (), (override));
  MOCK_METHOD(void, OpenAbout, (), (override));
  MOCK_METHOD(void, OpenTimeToSend, (), (override));
  MOCK_METHOD(void, CloseMainWindow, (), (override));
};

class MockSerialPort : public SerialPort {
 public:
  MOCK_METHOD(void, SetCommPort, (int number), (override));
  MOCK_METHOD(void, SetSettings, (const std::string& settings), (override));
  MOCK_METHOD(void, SetHandshaking, (int mode), (override));
  MOCK_METHOD(void, SetRtsEnable, (bool enable), (override));
  MOCK_METHOD(void, SetDtrEnable, (bool enable), (override));
  MOCK_METHOD(bool, DtrEnable, (), (const, override));
  MOCK_METHOD(bool, Open, (), (override));
  MOCK_METHOD(void, Close, (), (override));
  MOCK_METHOD(bool, IsOpen, (), (const, override));
  MOCK_METHOD(void, Output, (const std::string& data), (override));
  MOCK_METHOD(std::string, Input, (), (override));
  MOCK_METHOD(void, ClearInput, (), (override));
  MOCK_METHOD(void, ClearOutput, (), (override));
  MOCK_METHOD(int, OutBufferCount, (), (const, override));
  MOCK_METHOD(bool, CdHolding, (), (const, override));
  MOCK_METHOD(void, SetOnComm, (std::function<void(CommEvent)> handler), (override));
};

class MockHttpClient : public HttpClient {
 public:
  MOCK_METHOD(void, Execute,
              (const std::string& url, const std::string& method, const std::string& body,
               const std::string& headers),
              (override));
  MOCK_METHOD(void, SetOnStateChanged, (std::function<void(int state)> handler), (override));
  MOCK_METHOD(std::string, GetChunk, (int size), (override));
  MOCK_METHOD(std::string, GetHeader, (), (override));
  MOCK_METHOD(int, ResponseCode, (), (const, override));
  MOCK_METHOD(std::string, ResponseInfo, (), (const, override));
  MOCK_METHOD(bool, StillExecuting, (), (const, override));
  MOCK_METHOD(void, Cancel, (), (override));
  MOCK_METHOD(void, SetProxy, (int access_type, const std::string& host, int port), (override));
  MOCK_METHOD(std::string, OpenUrl, (const std::string& url, int timeout_ms), (override));
};

class MockTcpConnection : public TcpConnection {
 public:
  MOCK_METHOD(void, Connect, (const std::string& host, int port, bool tls), (override));
  MOCK_METHOD(void, Write, (const std::string& bytes), (override));
  MOCK_METHOD(void, Close, (), (override));
  MOCK_METHOD(bool, IsOpen, (), (const, override));
  MOCK_METHOD(void, SetOnConnected, (std::function<void()> handler), (override));
  MOCK_METHOD(void, SetOnData, (std::function<void(const std::string&)> handler), (override));
  MOCK_METHOD(void, SetOnClosed, (std::function<void(const std::string&)> handler), (override));
};

class MockHelpViewer : public HelpViewer {
 public:
  MOCK_METHOD(bool, ShowContents, (const std::string& help_file), (override));
};

class MockMailClient : public MailClient {
 public:
  MOCK_METHOD(void, SetServer, (const std::string& server), (override));
  MOCK_METHOD(void, SetUserName, (const std::string& user_name), (override));
  MOCK_METHOD(void, SetPassword, (const std::string& password), (override));
  MOCK_METHOD(int, Connect, (), (override));
  MOCK_METHOD(int, MessageCount, (), (const, override));
  MOCK_METHOD(int, Retrieve, (int number), (override));
  MOCK_METHOD(std::string, MessageText, (), (const, override));
  MOCK_METHOD(int, Disconnect, (), (override));
  MOCK_METHOD(void, Abort, (), (override));
  MOCK_METHOD(void, SetOnComplete, (std::function<void()> handler), (override));
  MOCK_METHOD(void, SetOnError, (std::function<void(const std::string&)> handler), (override));
};

class MockDialler : public Dialler {
 public:
  MOCK_METHOD(std::vector<std::string>, ConnectionNames, (), (override));
  MOCK_METHOD(void, SetEntryName, (const std::string& name), (override));
  MOCK_METHOD(const std::string&, EntryName, (), (const, override));
  MOCK_METHOD(void, SetUserName, (const std::string& user_name), (override));
  MOCK_METHOD(void, SetPassword, (const std::string& password), (override));
  MOCK_METHOD(void, Dial, (), (override));
  MOCK_METHOD(bool, IsConnected, (), (override));
  MOCK_METHOD(void, HangUp, (), (override));
  MOCK_METHOD(void, SetOnStateChanged, (std::function<void(int)> handler), (override));
  MOCK_METHOD(void, SetOnError, (std::function<void(int, const std::string&)> handler), (override));
};

// A clipboard that holds its text in memory.
class MemoryClipboard : public Clipboard {
 public:
  bool HasText() const override { return !text_.empty(); }
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_PLATFORM_MOCKS_H_
