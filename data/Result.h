#pragma once

#include <QString>

#include <optional>
#include <utility>

// The outcome of an operation that can fail with a message for the user. The message is the text the
// error report shows, in the words of the layer that failed.
class Status {
  public:
    static Status ok() { return Status(); }
    static Status failure(QString message) { return Status(std::move(message)); }
    // A failure with the engine's own report beside the message, for the box's 详细信息 button.
    static Status failure(QString message, QString details) {
        Status status(std::move(message));
        status.details_ = std::move(details);
        return status;
    }

    bool isOk() const { return !failed_; }
    explicit operator bool() const { return !failed_; }
    const QString& error() const { return error_; }
    const QString& details() const { return details_; }

  private:
    Status() = default;
    explicit Status(QString message) : failed_(true), error_(std::move(message)) {}
    bool failed_ = false;
    QString error_;
    QString details_;
};

// A value or the message that says why there is none.
template <typename T>
class Result {
  public:
    Result(T value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
    Result(Status failed)                          // NOLINT(google-explicit-constructor)
        : error_(failed.error()), details_(failed.details()) {}
    static Result failure(QString message) { return Result(Status::failure(std::move(message))); }

    bool isOk() const { return value_.has_value(); }
    explicit operator bool() const { return value_.has_value(); }
    const T& value() const { return *value_; }
    T& value() { return *value_; }
    const T& operator*() const { return *value_; }
    const T* operator->() const { return &*value_; }
    const QString& error() const { return error_; }
    const QString& details() const { return details_; }
    Status status() const { return isOk() ? Status::ok() : Status::failure(error_, details_); }

  private:
    std::optional<T> value_;
    QString error_;
    QString details_;
};
