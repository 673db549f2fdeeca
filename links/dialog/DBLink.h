#pragma once
#include <memory>
#include <string>
#include <vector>

#include "common/MessageBoxes.h"
#include "links/db/Database.h"
#include "links/db/LinkCheck.h"
#include "links/files/LinkSettings.h"
#include "links/db/ParallelChecks.h"

namespace teshmar {

// The controls of the link dialog that its logic reads or changes.
enum class DBLinkControl {
  CBServerIP,  // server address
  CheckBox1,   // "本机"
  PortEd,
  CheckBox2,   // enables the port box
  LogID,
  LogPwd,
  RzLabel4,    // the database label, worded for the entry's kind
  CBDateDB,    // database name: an editable combo box
};

enum class DBLinkResult { OK = 1, Cancel = 2 };

// What the link dialog's logic asks of its window.
class IDBLinkView {
 public:
  virtual ~IDBLinkView() = default;
  virtual std::string Text(DBLinkControl control) = 0;
  virtual void SetText(DBLinkControl control, const std::string& text) = 0;
  virtual bool Checked(DBLinkControl control) = 0;
  virtual void Enable(DBLinkControl control, bool enabled) = 0;
  virtual void Focus(DBLinkControl control) = 0;
  // Replaces the items of CBDateDB's list; the box's text stays as it is.
  virtual void SetDatabaseItems(const std::vector<std::string>& names) = 0;
  // Selects the first item of CBDateDB's list, whose name becomes the box's text.
  virtual void SelectFirstDatabase() = 0;
  virtual void Repaint() = 0;
  // Ends the modal run with this result.
  virtual void EndDialog(DBLinkResult result) = 0;
  // The wait cursor while the provider is asked; calls nest.
  virtual void BeginWait() = 0;
  virtual void EndWait() = 0;
};

// The link dialog of one entry: fills its boxes from the entry's settings, lists a server's
// databases, tests a connection, and saves a link only once it has connected with it and found a
// database of the entry's kind.
class DBLinkLogic {
 public:
  static constexpr const char* kCaption = "数据库连接";
  static constexpr const char* kListStatement =
      "USE master  SELECT dbid, DB_NAME(dbid) AS DB_NAME FROM sysdatabases where DB_NAME(dbid) not in  "
      "('master','tempdb','model','msdb','pubs','Northwind') ORDER BY dbid ";

  DBLinkLogic(IDBLinkView& view, IDatabase& database, IEntryLinks& links, IMessageBoxes& boxes);
  // Closes the dialog's connections, on their worker.
  ~DBLinkLogic();
  // Where the dialog's provider calls run: on this thread until a worker is given (it must
  // outlive the logic). Its connections stay on that one worker from first use to last.
  void SetProviderWorker(IProviderWorker& worker) { worker_ = &worker; }
  DBLinkLogic(const DBLinkLogic&) = delete;
  DBLinkLogic& operator=(const DBLinkLogic&) = delete;

  // Set by the caller before showing.
  int FEntryNo = 0;
  DatabaseKind FKind = DatabaseKind::Store;
  // The entry's "ConnType" as read at show; written back unchanged.
  int FConnType = 1;
  // The database that was saved; set on a save that closes the dialog with OK.
  std::string FDBName;

  // Handlers. An error that one of them lets through is shown with its own text, as the
  // framework shows what a handler did not catch, and the dialog stays open.
  void FormShow();
  void CheckBox1Click();
  void CheckBox2Click();
  void CBDateDBDropDown();
  void RzBitBtn2Click();
  void BtnOKClick();
  void BtnCancelClick();

  // Connects ADOConnA with the values; it stays open on success.
  bool ConnectTest(const std::string& server, const std::string& port, const std::string& database,
                   const std::string& login, const std::string& password, int connType, bool report);
  // Fills CBDateDB's list with the server's databases.
  void LoadDatabaseList();

  // For tests: the dialog's own connections (null until first used).
  const IConnection* ADOConnA() const { return adoConnA_.get(); }
  const IConnection* ADOConnection1() const { return adoConnection1_.get(); }

 private:
  // The trimmed text of a box.
  std::string Value(DBLinkControl control);
  bool ServerIsValid(const std::string& server) const;
  template <class Handler>
  void Guarded(Handler handler);

  void BtnOKClickSteps();

  IDBLinkView& view_;
  IDatabase& database_;
  IEntryLinks& links_;
  IMessageBoxes& boxes_;
  InlineProviderWorker inlineWorker_;
  IProviderWorker* worker_ = &inlineWorker_;
  std::unique_ptr<IConnection> adoConnA_;
  std::unique_ptr<IConnection> adoConnection1_;
  std::unique_ptr<IQuery> adoQuery1_;
};

}  // namespace teshmar
