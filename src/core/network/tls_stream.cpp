#include "core/network/tls_stream.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace tarnwick {
namespace {

constexpr char kTlsFailure[] = "TLSの開始に失敗しました";
constexpr char kCertificateFailure[] = "サーバー証明書を確認できませんでした";

// The plain stream under TLS, and how long each of its waits may last.
struct Transport {
  ByteStream* stream;
  std::chrono::milliseconds timeout;
  Io last = Io::Ok;
};

int BioWrite(BIO* bio, const char* data, int size) {
  auto* transport = static_cast<Transport*>(BIO_get_data(bio));
  transport->last = transport->stream->Write(std::string_view(data, static_cast<std::size_t>(size)),
                                             transport->timeout);
  return transport->last == Io::Ok ? size : -1;
}

int BioRead(BIO* bio, char* data, int size) {
  auto* transport = static_cast<Transport*>(BIO_get_data(bio));
  std::string got;
  transport->last =
      transport->stream->Read(got, static_cast<std::size_t>(size), transport->timeout);
  if (transport->last != Io::Ok) return transport->last == Io::Closed ? 0 : -1;
  std::copy(got.begin(), got.end(), data);
  return static_cast<int>(got.size());
}

long BioControl(BIO*, int command, long, void*) {
  return command == BIO_CTRL_FLUSH ? 1 : 0;
}

BIO_METHOD* TransportMethod() {
  static BIO_METHOD* method = [] {
    BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "tarnwick stream");
    BIO_meth_set_write(m, BioWrite);
    BIO_meth_set_read(m, BioRead);
    BIO_meth_set_ctrl(m, BioControl);
    return m;
  }();
  return method;
}

bool IsAddress(const std::string& host) {
  in6_addr address{};
  return inet_pton(AF_INET, host.c_str(), &address) == 1 ||
         inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

class TlsStream final : public ByteStream {
 public:
  TlsStream(std::unique_ptr<ByteStream> plain, SSL_CTX* context)
      : plain_(std::move(plain)),
        transport_{plain_.get(), {}},
        context_(context),
        ssl_(SSL_new(context)) {
    BIO* bio = BIO_new(TransportMethod());
    BIO_set_data(bio, &transport_);
    BIO_set_init(bio, 1);
    SSL_set_bio(ssl_, bio, bio);
  }
  ~TlsStream() override {
    SSL_free(ssl_);
    SSL_CTX_free(context_);
  }
  TlsStream(const TlsStream&) = delete;
  TlsStream& operator=(const TlsStream&) = delete;

  std::string Handshake(const std::string& host, std::chrono::milliseconds timeout) {
    if (IsAddress(host)) {
      X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), host.c_str());
    } else {
      SSL_set_tlsext_host_name(ssl_, host.c_str());
      SSL_set1_host(ssl_, host.c_str());
    }
    transport_.timeout = timeout;
    if (SSL_connect(ssl_) == 1) return {};
    ERR_clear_error();
    const long verified = SSL_get_verify_result(ssl_);
    return verified != X509_V_OK && transport_.last == Io::Ok ? kCertificateFailure : kTlsFailure;
  }

  Io Write(std::string_view bytes, std::chrono::milliseconds timeout) override {
    transport_.timeout = timeout;
    while (!bytes.empty()) {
      const int written = SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size()));
      if (written <= 0) return Failure();
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return Io::Ok;
  }

  Io Read(std::string& out, std::size_t max, std::chrono::milliseconds timeout) override {
    transport_.timeout = timeout;
    char buffer[4096];
    const int got = SSL_read(ssl_, buffer, static_cast<int>(std::min(max, sizeof buffer)));
    if (got <= 0) return Failure();
    out.append(buffer, static_cast<std::size_t>(got));
    return Io::Ok;
  }

 private:
  Io Failure() {
    ERR_clear_error();
    return transport_.last == Io::Ok ? Io::Failed : transport_.last;
  }

  std::unique_ptr<ByteStream> plain_;
  Transport transport_;
  SSL_CTX* context_;
  SSL* ssl_;
};

}  // namespace

TlsStart StartTls(std::unique_ptr<ByteStream> plain, const std::string& host,
                  std::chrono::milliseconds timeout) {
  SSL_CTX* context = SSL_CTX_new(TLS_client_method());
  if (context == nullptr) return {nullptr, kTlsFailure};
  SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
  SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
  SSL_CTX_set_default_verify_paths(context);  // the system's trust store (or SSL_CERT_FILE)
  auto tls = std::make_unique<TlsStream>(std::move(plain), context);
  std::string failure = tls->Handshake(host, timeout);
  if (!failure.empty()) return {nullptr, std::move(failure)};
  return {std::move(tls), {}};
}

}  // namespace tarnwick
