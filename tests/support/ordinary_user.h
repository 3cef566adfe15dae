#pragma once
// Permission bits mean nothing to root, and the suite often runs as root: checks of what a user may
// not do run as an ordinary user, in a child process that gives root up.

#include <functional>

namespace torv::test {

// Runs `check` as user and group nobody when this process is root (in a child process), otherwise
// here; true when it returned true.
bool AsOrdinaryUser(const std::function<bool()>& check);

}  // namespace torv::test
