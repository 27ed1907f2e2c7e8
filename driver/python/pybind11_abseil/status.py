"""Abseil statuses as seen from Python.

A C++ function bound with the caster of status_caster.hpp returns None for an OK
absl::Status and raises StatusNotOk, carrying the Status, for any other.
"""

import enum


class StatusCode(enum.IntEnum):
    """Abseil's canonical status codes, with Abseil's numbers."""

    OK = 0
    CANCELLED = 1
    UNKNOWN = 2
    INVALID_ARGUMENT = 3
    DEADLINE_EXCEEDED = 4
    NOT_FOUND = 5
    ALREADY_EXISTS = 6
    PERMISSION_DENIED = 7
    RESOURCE_EXHAUSTED = 8
    FAILED_PRECONDITION = 9
    ABORTED = 10
    OUT_OF_RANGE = 11
    UNIMPLEMENTED = 12
    INTERNAL = 13
    UNAVAILABLE = 14
    DATA_LOSS = 15
    UNAUTHENTICATED = 16


class Status:
    """An Abseil status: a code and a message."""

    def __init__(self, code, message=""):
        self._code = StatusCode(code)
        self._message = str(message)

    def code(self):
        return self._code

    def message(self):
        return self._message

    def ok(self):
        return self._code == StatusCode.OK

    def __repr__(self):
        return f"Status({self._code.name}, {self._message!r})"

    def __str__(self):
        return f"{self._code.name}: {self._message}" if self._message else self._code.name


class StatusNotOk(Exception):
    """Raised for a status other than OK; `status`, `code` and `message` describe it."""

    def __init__(self, status):
        super().__init__(str(status))
        self.status = status
        self.code = status.code()
        self.message = status.message()
