// TLS (OpenSSL) over any byte stream: the server's certificate is verified against the system's
// trust store and its host name. Used from the first byte (implicit TLS) or after STARTTLS.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "core/network/byte_stream.h"

namespace tarnwick {

struct TlsStart {
  std::unique_ptr<ByteStream>
      stream;           // the encrypted stream, owning the plain one; null on failure
  std::string failure;  // why not, for the user
};

TlsStart StartTls(std::unique_ptr<ByteStream> plain, const std::string& host,
                  std::chrono::milliseconds timeout);

}  // namespace tarnwick
