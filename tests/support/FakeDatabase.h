#pragma once
#include <algorithm>
#include <cctype>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "links/db/Database.h"

namespace teshmar::testing {

// A scripted database for tests.
//
//   FakeDatabase db;
//   db.RefuseConnection(cs);                        // this connection string cannot connect
//   db.RefuseEveryConnection();                     // no connection string can (server unreachable)
//   db.Answer(sql, {{{"name", "Base"}}});           // the statement answers one row
//   db.AnswerOn(cs, sql, {});                       // ... differently on one connection string
//   db.Refuse(sql);                                 // the server refuses the statement
//   db.DelayConnection(cs, 2000);                   // connecting with cs takes 2 s, whatever the answer
//   db.RaiseOn(cs);                                 // statements on cs raise Raised, not a DatabaseError
//
// Connections and queries may be used from several threads at once (each object by one thread);
// script before the work starts and read the records after it has ended.
// A statement that is not scripted answers no rows (Open) or succeeds (Execute). Everything the
// database receives is recorded: `connectionStrings` (every attempt to connect), `statements`
// (every Open and Execute, refused ones included) and `log`, one line per event in order:
//   "connect <cs>", "connect refused <cs>", "disconnect <cs>",
//   "open <sql>", "open refused <sql>", "execute <sql>", "execute refused <sql>", "close <sql>".
// `OpenConnections()`, `OpenQueries()`, `LiveConnections()` and `LiveQueries()` tell what is
// still open or not yet released; `PeakBusyConnections()` the most connections that were being
// opened or were open at the same moment.
class FakeDatabase : public IDatabase {
 public:
  using Row = std::map<std::string, std::string>;
  using Rows = std::vector<Row>;

  static constexpr const char* kConnectError =
      "[DBNETLIB][ConnectionOpen (Connect()).]SQL Server does not exist or access denied.";
  static constexpr const char* kStatementError = "Invalid object name.";

  // What RaiseOn makes a statement throw: an error that is not the database's.
  struct Raised {};

  FakeDatabase() : state_(std::make_shared<State>()) {}

  // --- Scripting ---
  void RefuseConnection(const std::string& connectionString, std::string error = kConnectError) {
    state_->refusedConnections[connectionString] = std::move(error);
  }
  void RefuseEveryConnection(std::string error = kConnectError) { state_->refuseAll = std::move(error); }
  void Answer(const std::string& sql, Rows rows) { state_->scripts[{std::string(), sql}] = Script{std::move(rows), {}}; }
  void AnswerOn(const std::string& connectionString, const std::string& sql, Rows rows) {
    state_->scripts[{connectionString, sql}] = Script{std::move(rows), {}};
  }
  void Refuse(const std::string& sql, std::string error = kStatementError) {
    state_->scripts[{std::string(), sql}] = Script{{}, std::move(error)};
  }
  void RefuseOn(const std::string& connectionString, const std::string& sql, std::string error = kStatementError) {
    state_->scripts[{connectionString, sql}] = Script{{}, std::move(error)};
  }
  void DelayConnection(const std::string& connectionString, int milliseconds) {
    state_->delays[connectionString] = milliseconds;
  }
  void RaiseOn(const std::string& connectionString) { state_->raising.push_back(connectionString); }

  // --- Records ---
  const std::vector<std::string>& connectionStrings() const { return state_->connectionStrings; }
  const std::vector<std::string>& statements() const { return state_->statements; }
  const std::vector<std::string>& log() const { return state_->log; }
  int OpenConnections() const { return state_->openConnections; }
  int OpenQueries() const { return state_->openQueries; }
  int LiveConnections() const { return state_->liveConnections; }
  int LiveQueries() const { return state_->liveQueries; }
  int PeakBusyConnections() const { return state_->peakBusy; }
  // True when nothing is open and every connection and query object has been released.
  bool AllReleased() const {
    return OpenConnections() == 0 && OpenQueries() == 0 && LiveConnections() == 0 && LiveQueries() == 0;
  }
  void ClearRecords() {
    state_->connectionStrings.clear();
    state_->statements.clear();
    state_->log.clear();
  }

  std::unique_ptr<IConnection> CreateConnection() override { return std::make_unique<Connection>(state_); }

 private:
  struct Script {
    Rows rows;
    std::optional<std::string> error;
  };

  struct State {
    std::map<std::string, std::string> refusedConnections;
    std::optional<std::string> refuseAll;
    std::map<std::pair<std::string, std::string>, Script> scripts;  // (connection string or "", sql)
    std::map<std::string, int> delays;
    std::vector<std::string> raising;
    std::mutex mutex;
    int busy = 0;
    int peakBusy = 0;
    std::vector<std::string> connectionStrings;
    std::vector<std::string> statements;
    std::vector<std::string> log;
    int openConnections = 0;
    int openQueries = 0;
    int liveConnections = 0;
    int liveQueries = 0;

    const Script* Find(const std::string& cs, const std::string& sql) const {
      if (auto it = scripts.find({cs, sql}); it != scripts.end()) return &it->second;
      if (auto it = scripts.find({std::string(), sql}); it != scripts.end()) return &it->second;
      return nullptr;
    }
  };

  // What a query shares with its connection, so that it sees the connection close or go away.
  struct Link {
    bool open = false;
    std::string connectionString;
  };

  static bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
  }

  class Query : public IQuery {
   public:
    Query(std::shared_ptr<State> state, std::shared_ptr<Link> link) : state_(std::move(state)), link_(std::move(link)) {
      std::lock_guard<std::mutex> lock(state_->mutex);
      ++state_->liveQueries;
    }
    ~Query() override {
      Close();
      std::lock_guard<std::mutex> lock(state_->mutex);
      --state_->liveQueries;
    }

    void Open(const std::string& sql) override {
      Close();
      std::lock_guard<std::mutex> lock(state_->mutex);
      if (std::find(state_->raising.begin(), state_->raising.end(), link_->connectionString) != state_->raising.end())
        throw Raised{};
      state_->statements.push_back(sql);
      const Script* script = Run(sql, "open");
      rows_ = script ? script->rows : Rows{};
      position_ = 0;
      sql_ = sql;
      open_ = true;
      ++state_->openQueries;
      state_->log.push_back("open " + sql);
    }
    void Execute(const std::string& sql) override {
      std::lock_guard<std::mutex> lock(state_->mutex);
      state_->statements.push_back(sql);
      Run(sql, "execute");
      state_->log.push_back("execute " + sql);
    }
    void Close() override {
      if (!open_) return;
      std::lock_guard<std::mutex> lock(state_->mutex);
      open_ = false;
      rows_.clear();
      --state_->openQueries;
      state_->log.push_back("close " + sql_);
    }
    bool IsOpen() const override { return open_; }
    long RowCount() const override {
      RequireOpen();
      return static_cast<long>(rows_.size());
    }
    bool Eof() const override {
      RequireOpen();
      return position_ >= rows_.size();
    }
    void Next() override {
      RequireOpen();
      if (position_ < rows_.size()) ++position_;
    }
    std::string Field(const std::string& column) const override {
      RequireOpen();
      if (position_ >= rows_.size()) throw DatabaseError("Either BOF or EOF is True, or the current record has been deleted.");
      for (const auto& [name, value] : rows_[position_])
        if (SameName(name, column)) return value;
      throw DatabaseError("Item cannot be found in the collection corresponding to the requested name or ordinal.");
    }

   private:
    // Throws the scripted refusal (after logging it); otherwise returns the script, if any.
    const Script* Run(const std::string& sql, const std::string& verb) {
      if (!link_->open) {
        state_->log.push_back(verb + " refused " + sql);
        throw DatabaseError("Operation is not allowed when the object is closed.");
      }
      const Script* script = state_->Find(link_->connectionString, sql);
      if (script && script->error) {
        state_->log.push_back(verb + " refused " + sql);
        throw DatabaseError(*script->error);
      }
      return script;
    }
    void RequireOpen() const {
      if (!open_) throw DatabaseError("Operation is not allowed when the object is closed.");
    }

    std::shared_ptr<State> state_;
    std::shared_ptr<Link> link_;
    Rows rows_;
    size_t position_ = 0;
    std::string sql_;
    bool open_ = false;
  };

  class Connection : public IConnection {
   public:
    explicit Connection(std::shared_ptr<State> state) : state_(std::move(state)), link_(std::make_shared<Link>()) {
      std::lock_guard<std::mutex> lock(state_->mutex);
      ++state_->liveConnections;
    }
    ~Connection() override {
      Close();
      std::lock_guard<std::mutex> lock(state_->mutex);
      --state_->liveConnections;
    }

    void Open(const std::string& connectionString) override {
      Close();
      int delay = 0;
      {
        std::lock_guard<std::mutex> lock(state_->mutex);
        ++state_->busy;
        state_->peakBusy = std::max(state_->peakBusy, state_->busy);
        if (auto it = state_->delays.find(connectionString); it != state_->delays.end()) delay = it->second;
      }
      if (delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
      std::lock_guard<std::mutex> lock(state_->mutex);
      link_->connectionString = connectionString;
      state_->connectionStrings.push_back(connectionString);
      std::optional<std::string> refusal = state_->refuseAll;
      if (auto it = state_->refusedConnections.find(connectionString); it != state_->refusedConnections.end())
        refusal = it->second;
      if (refusal) {
        --state_->busy;
        state_->log.push_back("connect refused " + connectionString);
        throw DatabaseError(*refusal);
      }
      link_->open = true;
      ++state_->openConnections;
      state_->log.push_back("connect " + connectionString);
    }
    void Close() override {
      std::lock_guard<std::mutex> lock(state_->mutex);
      if (!link_->open) return;
      link_->open = false;
      --state_->busy;
      --state_->openConnections;
      state_->log.push_back("disconnect " + link_->connectionString);
    }
    bool IsOpen() const override { return link_->open; }
    std::string ConnectionString() const override { return link_->connectionString; }
    std::unique_ptr<IQuery> CreateQuery() override { return std::make_unique<Query>(state_, link_); }

   private:
    std::shared_ptr<State> state_;
    std::shared_ptr<Link> link_;
  };

  std::shared_ptr<State> state_;
};

}  // namespace teshmar::testing
