#include "links/dialog/DBLink.h"

#include <exception>
#include <optional>

#include "common/TextUtil.h"
#include "links/db/ConnString.h"
#include "links/db/ServerAddress.h"

namespace teshmar {

namespace {

// The wait cursor for as long as the provider is asked, also when it answers with an error.
class WaitCursor {
 public:
  explicit WaitCursor(IDBLinkView& view) : view_(view) { view_.BeginWait(); }
  ~WaitCursor() { view_.EndWait(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  IDBLinkView& view_;
};

constexpr const char* kDefaultPort = "1433";

}  // namespace

DBLinkLogic::DBLinkLogic(IDBLinkView& view, IDatabase& database, IEntryLinks& links, IMessageBoxes& boxes)
    : view_(view), database_(database), links_(links), boxes_(boxes) {}

DBLinkLogic::~DBLinkLogic() {
  if (!adoQuery1_ && !adoConnection1_ && !adoConnA_) return;
  // The query goes before its connection; nothing here may throw out of a destructor.
  try {
    worker_->Run([&] {
      try {
        if (adoQuery1_) adoQuery1_->Close();
        adoQuery1_.reset();
        if (adoConnection1_) adoConnection1_->Close();
        if (adoConnA_) adoConnA_->Close();
      } catch (const std::exception&) {
      }
      // Released where they were made.
      adoQuery1_.reset();
      adoConnection1_.reset();
      adoConnA_.reset();
    });
  } catch (...) {
  }
}

template <class Handler>
void DBLinkLogic::Guarded(Handler handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    boxes_.ShowPlain(error.what());
  }
}

std::string DBLinkLogic::Value(DBLinkControl control) { return TrimControl(view_.Text(control)); }

bool DBLinkLogic::ServerIsValid(const std::string& server) const { return !server.empty() && IsValidServerIP(server); }

void DBLinkLogic::FormShow() {
  Guarded([&] {
    const LinkSettings link = links_.ReadEntryLink(FEntryNo);
    view_.SetText(DBLinkControl::CBServerIP, link.serverName);
    view_.SetText(DBLinkControl::PortEd, link.port);
    view_.SetText(DBLinkControl::CBDateDB, link.database);
    view_.SetText(DBLinkControl::LogPwd, link.password);
    view_.SetText(DBLinkControl::LogID, link.loginName.empty() ? "sa" : link.loginName);
    FConnType = link.connType;
    if (FKind == DatabaseKind::Store) {
      view_.SetText(DBLinkControl::RzLabel4, "门店数据库：");
    } else if (FKind == DatabaseKind::Erp) {
      view_.SetText(DBLinkControl::RzLabel4, "ERP数据库：");
    }
  });
}

void DBLinkLogic::CheckBox1Click() {
  Guarded([&] {
    if (view_.Checked(DBLinkControl::CheckBox1)) {
      view_.SetText(DBLinkControl::CBServerIP, "127.0.0.1");
      view_.Enable(DBLinkControl::CBServerIP, false);
    } else {
      view_.Enable(DBLinkControl::CBServerIP, true);
    }
  });
}

void DBLinkLogic::CheckBox2Click() {
  Guarded([&] { view_.Enable(DBLinkControl::PortEd, view_.Checked(DBLinkControl::CheckBox2)); });
}

void DBLinkLogic::CBDateDBDropDown() {
  Guarded([&] {
    if (!ServerIsValid(Value(DBLinkControl::CBServerIP))) {
      boxes_.ShowPlain("请填写正确的服务器IP！");
      view_.Repaint();
      return;
    }
    LoadDatabaseList();
  });
}

void DBLinkLogic::LoadDatabaseList() {
  const std::string connectionString =
      BuildBrowseConnString(Value(DBLinkControl::CBServerIP), Value(DBLinkControl::PortEd),
                            Value(DBLinkControl::LogID), Value(DBLinkControl::LogPwd), FConnType);
  bool connected = false;
  std::vector<std::string> names;
  std::optional<std::string> statementError;
  {
    WaitCursor wait(view_);
    worker_->Run([&] {
      if (!adoConnection1_) adoConnection1_ = database_.CreateConnection();
      if (!adoQuery1_) adoQuery1_ = adoConnection1_->CreateQuery();
      adoQuery1_->Close();
      adoConnection1_->Close();
      try {
        adoConnection1_->Open(connectionString);
        connected = true;
      } catch (const DatabaseError&) {
      }
      // The whole result is read before the list changes, so a statement or a row that fails
      // leaves the old items in place.
      if (connected) {
        try {
          adoQuery1_->Open(kListStatement);
          for (; !adoQuery1_->Eof(); adoQuery1_->Next()) names.push_back(adoQuery1_->Field("DB_NAME"));
        } catch (const DatabaseError& error) {
          statementError = error.what();
        }
      }
    });
  }
  if (!connected) {
    boxes_.ShowPlain("数据库连接失败！");
    view_.Repaint();
    return;
  }
  if (statementError) {
    boxes_.ShowPlain(*statementError);  // the provider's own words
    return;
  }
  view_.SetDatabaseItems(names);
  if (names.empty()) {
    view_.SetText(DBLinkControl::CBDateDB, "");
  } else {
    view_.SelectFirstDatabase();
  }
}

void DBLinkLogic::RzBitBtn2Click() {
  Guarded([&] {
    const std::string server = Value(DBLinkControl::CBServerIP);
    if (!ServerIsValid(server)) {
      boxes_.ShowPlain("请填写正确的服务器IP！");
      view_.Focus(DBLinkControl::CBServerIP);
      return;
    }
    const std::string database = Value(DBLinkControl::CBDateDB);
    if (database.empty()) {
      boxes_.ShowPlain("请选择数据库！");
      view_.Focus(DBLinkControl::CBDateDB);
      return;
    }
    ConnectTest(server, Value(DBLinkControl::PortEd), database, Value(DBLinkControl::LogID),
                Value(DBLinkControl::LogPwd), FConnType, true);
  });
}

bool DBLinkLogic::ConnectTest(const std::string& server, const std::string& port, const std::string& database,
                              const std::string& login, const std::string& password, int connType, bool report) {
  const std::string connectionString = BuildConnString(server, port, database, login, password, connType);
  bool connected = false;
  {
    WaitCursor wait(view_);
    worker_->Run([&] {
      if (!adoConnA_) adoConnA_ = database_.CreateConnection();
      adoConnA_->Close();
      // A link without a connection string (an unknown connection type) cannot connect; the
      // provider is not asked to open nothing.
      if (!connectionString.empty()) {
        try {
          adoConnA_->Open(connectionString);
          connected = true;
        } catch (const DatabaseError&) {
          connected = false;
        }
      }
    });
  }
  if (report) boxes_.ShowPlain(connected ? "数据库连接成功！" : "数据库连接失败！");
  return connected;
}

void DBLinkLogic::BtnOKClick() {
  Guarded([&] { BtnOKClickSteps(); });
}

void DBLinkLogic::BtnOKClickSteps() {
  const std::string server = Value(DBLinkControl::CBServerIP);
  if (server.empty() || !IsValidServerIP(server)) {
    boxes_.ShowPlain("请正确填写服务器IP！");
    view_.Focus(DBLinkControl::CBServerIP);
    return;
  }
  const std::string database = Value(DBLinkControl::CBDateDB);
  if (database.empty()) {
    boxes_.ShowPlain("请选择要连接的数据库！");
    view_.Focus(DBLinkControl::CBDateDB);
    return;
  }
  std::string port = Value(DBLinkControl::PortEd);
  if (port.empty()) {
    view_.SetText(DBLinkControl::PortEd, kDefaultPort);
    port = kDefaultPort;
  }
  const std::string login = Value(DBLinkControl::LogID);
  const std::string password = Value(DBLinkControl::LogPwd);

  // Before the server is asked: a text the settings file cannot store would only be refused at the
  // write, after the operator waited, and named as a fault of the file.
  const std::string databaseBox = TrimControl(view_.Text(DBLinkControl::RzLabel4));
  const std::pair<DBLinkControl, std::string> boxes[] = {
      {DBLinkControl::CBServerIP, "服务器(IP)"},
      {DBLinkControl::PortEd, "端口"},
      {DBLinkControl::LogID, "数据库账号"},
      {DBLinkControl::LogPwd, "数据库密码"},
      {DBLinkControl::CBDateDB, databaseBox.empty() ? std::string("库名") : databaseBox},
  };
  for (const auto& [control, label] : boxes) {
    if (links_.CanStore(Value(control))) continue;
    std::string name = label;
    if (name.size() >= 3 && name.compare(name.size() - 3, 3, "：") == 0) name.erase(name.size() - 3);
    boxes_.ShowPlain("“" + name + "”中有" + links_.FileName() + "无法保存的字符，请修改！");
    view_.Focus(control);
    return;
  }

  bool connected = false;
  try {
    connected = ConnectTest(server, port, database, login, password, FConnType, false);
  } catch (const std::exception&) {
    boxes_.ShowPlain("数据库连接失败！请检查！");
    return;
  }
  if (!connected) {
    boxes_.ShowPlain("数据库连接失败！请检查账号和密码是否正确！");
    return;
  }

  // The kind check always goes over the SQL Server login, whatever the entry's connection type.
  const std::string checkString = BuildConnString(server, port, database, login, password, 1);
  LinkProbe probe;
  {
    WaitCursor wait(view_);
    worker_->Run([&] { probe = ProbeLink(database_, FEntryNo, checkString, FKind); });
  }
  // The boxes the check asked for, here on the dialog's own thread.
  ShowPendingBoxes(probe.boxes, boxes_);
  const LinkCheckResult& check = probe.result;
  if (!check.ok) {
    if (!check.error.empty()) boxes_.ShowPlain(check.error);
    return;
  }

  LinkSettings link;
  link.serverName = server;
  link.port = port;
  link.database = database;
  link.loginName = login;
  link.password = password;
  link.connType = FConnType;
  // A refused write ("Unable to write to <path>") is shown by the guard; the dialog stays open.
  links_.WriteEntryLink(FEntryNo, link);

  FDBName = database;
  view_.EndDialog(DBLinkResult::OK);
}

void DBLinkLogic::BtnCancelClick() { view_.EndDialog(DBLinkResult::Cancel); }

}  // namespace teshmar
