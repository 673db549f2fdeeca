#pragma once
#include <memory>
#include <stdexcept>
#include <string>

namespace teshmar {

// An error of the database layer; its text is the provider's own.
class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A statement bound to a connection: a result set to walk, or a statement to execute.
// Column values are UTF-8 text; a NULL reads as empty text.
class IQuery {
 public:
  virtual ~IQuery() = default;
  // Opens the statement as a result set positioned on its first row (closing any result set
  // still open first); throws DatabaseError when the server refuses it or the connection is closed.
  virtual void Open(const std::string& sql) = 0;
  // Executes a statement that gives no result set; throws DatabaseError when refused.
  virtual void Execute(const std::string& sql) = 0;
  // Closes the result set; harmless when nothing is open.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // The exact number of rows of the open result set; throws DatabaseError when none is open.
  virtual long RowCount() const = 0;
  // True past the last row (at once for an empty result); throws DatabaseError when none is open.
  virtual bool Eof() const = 0;
  virtual void Next() = 0;
  // The current row's value of a column, by name (the server's comparison: letter case ignored);
  // throws DatabaseError for an unknown column, past the last row, or when no result set is open.
  virtual std::string Field(const std::string& column) const = 0;
};

// One database connection. It never prompts for a login.
class IConnection {
 public:
  virtual ~IConnection() = default;
  // Takes the connection string and opens (closing first when already open); throws
  // DatabaseError when it cannot connect, and is then closed.
  virtual void Open(const std::string& connectionString) = 0;
  // Closes; harmless when not open.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // The connection string it was last given, kept after Close.
  virtual std::string ConnectionString() const = 0;
  // A query bound to this connection. It may outlive the connection object; it then fails to open.
  virtual std::unique_ptr<IQuery> CreateQuery() = 0;
};

// Makes new connections, one per piece of work.
class IDatabase {
 public:
  virtual ~IDatabase() = default;
  virtual std::unique_ptr<IConnection> CreateConnection() = 0;
};

}  // namespace teshmar
