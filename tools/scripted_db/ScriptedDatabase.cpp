#include "tools/scripted_db/ScriptedDatabase.h"

#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "links/files/FileOps.h"
#include "tools/scripted_db/ConnStringParser.h"
#include "tools/scripted_db/NameCompare.h"
#include "tools/scripted_db/ScriptedSql.h"
#include "tools/scripted_db/ServerErrors.h"

namespace teshmar {

// Everything the connections share; the mutex guards the tables (which statements change) and
// the record.
struct ScriptedDatabase::Shared {
  std::mutex mutex;
  DbScript script;
  std::unique_ptr<IRecordSink> record;
  std::optional<std::string> refuseAll;
  std::function<void(int ms)> wait = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };

  void Record(const std::string& event, const std::string& text) {
    if (record) record->WriteLine(event + " " + RecordText(text));
  }
};

namespace {

using Shared = ScriptedDatabase::Shared;

// What a connection shares with its queries, so that they see it close or go away.
struct Link {
  bool open = false;
  std::string connectionString;
  ScriptServer* server = nullptr;
  std::string database;
};

// The answer to one attempt to connect: where it leads, or why it is refused, and how long the
// server takes to give that answer.
struct Connect {
  ScriptServer* server = nullptr;
  std::string database;
  std::optional<std::string> error;
  int delayMs = 0;
};

bool IntegratedSecurity(const std::optional<std::string>& value) {
  return value && (SameName(*value, "SSPI") || SameName(*value, "true") || SameName(*value, "yes"));
}

// The server a Data Source names: "host" or "host,port" (an empty or missing port is 1433).
// A server named with a port answers on that port only and comes before one named without.
ScriptServer* FindServer(DbScript& script, const std::string& dataSource) {
  std::string host = dataSource;
  int port = 1433;
  if (size_t comma = dataSource.rfind(','); comma != std::string::npos) {
    host = dataSource.substr(0, comma);
    std::string digits = dataSource.substr(comma + 1);
    if (!digits.empty()) {
      if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return nullptr;
      port = std::stoi(digits);
    }
  }
  ScriptServer* anyPort = nullptr;
  for (ScriptServer& server : script.servers) {
    if (!SameName(server.host, host)) continue;
    if (server.port == port) return &server;
    if (!server.port) anyPort = &server;
  }
  return anyPort;
}

Connect Decide(Shared& shared, const std::string& connectionString) {
  if (shared.refuseAll) return {nullptr, {}, shared.refuseAll, 0};
  std::optional<ConnStringPairs> pairs = ParseConnString(connectionString);
  if (!pairs) return {nullptr, {}, kBadConnStringError, 0};
  std::optional<std::string> provider = ConnStringKey(*pairs, {"Provider"});
  if (!provider) return {nullptr, {}, kNoProviderError, 0};
  if (!SameName(*provider, "SQLOLEDB.1") && !SameName(*provider, "SQLOLEDB"))
    return {nullptr, {}, kProviderMissingError, 0};

  std::string dataSource =
      ConnStringKey(*pairs, {"Data Source", "Server", "Address", "Addr", "Network Address"}).value_or("(local)");
  ScriptServer* server = FindServer(shared.script, dataSource);
  if (!server) return {nullptr, {}, kServerMissingError, shared.script.unknownServerDelayMs};

  Connect answer{server, {}, std::nullopt, server->delayMs};
  if (server->connectRefusal) {
    answer.error = server->connectRefusal;
    return answer;
  }
  if (IntegratedSecurity(ConnStringKey(*pairs, {"Integrated Security", "Trusted_Connection"}))) {
    if (server->refuseIntegrated) answer.error = kTrustedLoginError;
  } else {
    const std::string login = ConnStringKey(*pairs, {"User ID", "UID", "User"}).value_or("");
    const std::string password = ConnStringKey(*pairs, {"Password", "PWD"}).value_or("");
    bool refused = login.empty();  // SQL Server has no login without a name
    for (const LoginRefusal& refusal : server->loginRefusals)
      refused = refused || (SameName(refusal.login, login) && (!refusal.password || *refusal.password == password));
    if (refused) answer.error = "Login failed for user '" + login + "'.";
  }
  if (answer.error) return answer;

  std::string catalog = ConnStringKey(*pairs, {"Initial Catalog", "Database"}).value_or("");
  if (catalog.empty()) catalog = "master";
  if (ScriptDatabase* database = FindDatabase(*server, catalog))
    answer.database = database->name;
  else
    answer.error = "Cannot open database \"" + catalog + "\" requested by the login. The login failed.";
  return answer;
}

class Query : public IQuery {
 public:
  Query(std::shared_ptr<Shared> shared, std::shared_ptr<Link> link)
      : shared_(std::move(shared)), link_(std::move(link)) {}

  void Open(const std::string& sql) override {
    Close();
    result_ = Run("open", sql);
    position_ = 0;
    open_ = true;
  }
  void Execute(const std::string& sql) override { Run("execute", sql); }
  void Close() override {
    open_ = false;
    result_ = {};
  }
  bool IsOpen() const override { return open_; }
  long RowCount() const override {
    RequireOpen();
    return static_cast<long>(result_.rows.size());
  }
  bool Eof() const override {
    RequireOpen();
    return position_ >= result_.rows.size();
  }
  void Next() override {
    RequireOpen();
    if (position_ < result_.rows.size()) ++position_;
  }
  std::string Field(const std::string& column) const override {
    RequireOpen();
    for (size_t i = 0; i < result_.columns.size(); ++i) {
      if (!SameName(result_.columns[i], column)) continue;
      if (position_ >= result_.rows.size()) throw DatabaseError(kNoCurrentRowError);
      return result_.rows[position_][i];
    }
    throw DatabaseError(kNoSuchColumnError);
  }

 private:
  ResultSet Run(const char* verb, const std::string& sql) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    try {
      if (!link_->open) throw DatabaseError(kClosedObjectError);
      ResultSet result = RunStatement(shared_->script, *link_->server, link_->database, sql);
      shared_->Record(verb, sql);
      return result;
    } catch (const DatabaseError&) {
      shared_->Record(std::string(verb) + " refused", sql);
      throw;
    }
  }
  void RequireOpen() const {
    if (!open_) throw DatabaseError(kClosedObjectError);
  }

  std::shared_ptr<Shared> shared_;
  std::shared_ptr<Link> link_;
  ResultSet result_;
  size_t position_ = 0;
  bool open_ = false;
};

class Connection : public IConnection {
 public:
  explicit Connection(std::shared_ptr<Shared> shared) : shared_(std::move(shared)), link_(std::make_shared<Link>()) {}
  ~Connection() override { Close(); }

  void Open(const std::string& connectionString) override {
    Close();
    Connect answer;
    {
      std::lock_guard<std::mutex> lock(shared_->mutex);
      link_->connectionString = connectionString;
      answer = Decide(*shared_, connectionString);
    }
    // The wait runs outside the lock: a slow server holds up only the thread that called it.
    if (answer.delayMs > 0) shared_->wait(answer.delayMs);
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->Record(answer.error ? "connect refused" : "connect", connectionString);
    if (answer.error) throw DatabaseError(*answer.error);
    link_->open = true;
    link_->server = answer.server;
    link_->database = answer.database;
  }
  void Close() override {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    link_->open = false;
  }
  bool IsOpen() const override {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return link_->open;
  }
  std::string ConnectionString() const override {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return link_->connectionString;
  }
  std::unique_ptr<IQuery> CreateQuery() override { return std::make_unique<Query>(shared_, link_); }

 private:
  std::shared_ptr<Shared> shared_;
  std::shared_ptr<Link> link_;
};

}  // namespace

ScriptedDatabase::ScriptedDatabase(DbScript script, std::unique_ptr<IRecordSink> record,
                                   std::optional<std::string> refuseAll)
    : shared_(std::make_shared<Shared>()) {
  shared_->script = std::move(script);
  shared_->record = std::move(record);
  shared_->refuseAll = std::move(refuseAll);
}

ScriptedDatabase::~ScriptedDatabase() = default;

void ScriptedDatabase::SetWait(std::function<void(int ms)> wait) { shared_->wait = std::move(wait); }

std::unique_ptr<IConnection> ScriptedDatabase::CreateConnection() { return std::make_unique<Connection>(shared_); }

std::unique_ptr<IDatabase> LoadScriptedDatabase(const std::string& scriptPath, const std::string& recordPath) {
  std::unique_ptr<IRecordSink> record;
  std::optional<std::string> problem;
  try {
    record = OpenRecordFile(recordPath);
  } catch (const std::exception& error) {
    problem = error.what();
  }
  DbScript script;
  if (!problem) {
    FileRead read = PlatformFileOps().Read(scriptPath);
    if (read.status == FileRead::Status::Unreadable) {
      problem = "cannot read the script " + scriptPath;
    } else if (read.status == FileRead::Status::Ok) {
      try {
        script = ParseDbScript(read.bytes);
      } catch (const ScriptError& error) {
        problem = scriptPath + ": " + error.what();
      }
    }
  }
  if (problem && record) record->WriteLine("error " + RecordText(*problem));
  return std::make_unique<ScriptedDatabase>(problem ? DbScript{} : std::move(script), std::move(record), problem);
}

}  // namespace teshmar
