// A private Xvfb for the end-to-end tests, so that they need nothing set up
// around them: started on a free display number that the server itself
// picks (-displayfd) and stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

class PrivateXServer {
 public:
  explicit PrivateXServer(int depth);  // a 1280 by 1024 screen of this depth
  ~PrivateXServer();
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;

  // ":N", or empty when the server did not start within 20 seconds.
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};
