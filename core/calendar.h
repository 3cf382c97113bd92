#pragma once
namespace tempyra {

// What the alert policy needs of a calendar: the hour of day (0-23) of a time point.
class Calendar {
 public:
  virtual ~Calendar() = default;
  virtual int hour(double secondsSince1970) const = 0;
};

// The user's calendar: local time zone as the C library knows it (TZ, /etc/localtime).
class LocalCalendar final : public Calendar {
 public:
  int hour(double secondsSince1970) const override;
};

// A calendar at a fixed offset from UTC, for tests and reproducible runs.
class FixedOffsetCalendar final : public Calendar {
 public:
  explicit FixedOffsetCalendar(int offsetSeconds = 0) : offset_(offsetSeconds) {}
  int hour(double secondsSince1970) const override;

 private:
  int offset_;
};

}  // namespace tempyra
