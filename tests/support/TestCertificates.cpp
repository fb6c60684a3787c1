#include "support/TestCertificates.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace albumora::test {

namespace {

template <auto Free>
struct Freer {
    template <typename T>
    void operator()(T* object) const {
        Free(object);
    }
};

using Key = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Freer<X509_free>>;
using Extension = std::unique_ptr<X509_EXTENSION, Freer<X509_EXTENSION_free>>;
using Bignum = std::unique_ptr<BIGNUM, Freer<BN_free>>;
using File = std::unique_ptr<BIO, Freer<BIO_free_all>>;

constexpr long kHour = 60 * 60;
constexpr long kValidity = 30 * 24 * kHour;

[[noreturn]] void Fail(const std::string& what) {
    // OpenSSL's own reason is the useful half of the message; the queue is emptied so that it does
    // not show up again under some later, unrelated failure of this thread.
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    char reason[256] = "no further detail";
    if (code != 0) {
        ERR_error_string_n(code, reason, sizeof reason);
    }
    throw std::runtime_error("test certificates: " + what + ": " + reason);
}

Key NewKey() {
    Key key(EVP_EC_gen("P-256"));
    if (!key) {
        Fail("cannot make a P-256 key");
    }
    return key;
}

// A name of the letters a DNS name is made of, so it cannot smuggle a second entry into the
// comma-separated extension text.
bool IsPlainHostName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
               c == '-' || c == '*';
    });
}

Certificate NewCertificate(const std::string& commonName, EVP_PKEY* key) {
    Certificate certificate(X509_new());
    if (!certificate || X509_set_version(certificate.get(), X509_VERSION_3) != 1 ||
        X509_set_pubkey(certificate.get(), key) != 1) {
        Fail("cannot make a certificate");
    }
    // Random serials: a client that met an earlier run's authority must not mistake one for another.
    Bignum serial(BN_new());
    if (!serial || BN_rand(serial.get(), 159, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) != 1 ||
        !BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(certificate.get()))) {
        Fail("cannot draw a serial number");
    }
    // An hour back, so a clock a little behind the one that made it still takes the certificate.
    if (!X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -kHour) ||
        !X509_gmtime_adj(X509_getm_notAfter(certificate.get()), kValidity)) {
        Fail("cannot set the validity");
    }
    X509_NAME* name = X509_get_subject_name(certificate.get());
    if (X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("Albumora tests"), -1, -1,
                                   0) != 1 ||
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                                   0) != 1) {
        Fail("cannot name the certificate");
    }
    return certificate;
}

// Extensions that refer to the issuer (the key identifiers) need it in place first; the subject's
// own key identifier has to precede the authority one on a self-signed certificate.
void AddExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    Extension extension(X509V3_EXT_nconf_nid(nullptr, &context, nid, value.c_str()));
    if (!extension || X509_add_ext(certificate, extension.get(), -1) != 1) {
        Fail(std::string("cannot add ") + OBJ_nid2sn(nid) + " " + value);
    }
}

void Sign(X509* certificate, X509* issuer, EVP_PKEY* issuerKey) {
    if (X509_set_issuer_name(certificate, X509_get_subject_name(issuer)) != 1 ||
        X509_sign(certificate, issuerKey, EVP_sha256()) <= 0) {
        Fail("cannot sign the certificate");
    }
}

void WriteCertificate(const std::string& path, X509* certificate) {
    File file(BIO_new_file(path.c_str(), "w"));
    if (!file || PEM_write_bio_X509(file.get(), certificate) != 1) {
        Fail("cannot write " + path);
    }
}

void WriteKey(const std::string& path, EVP_PKEY* key) {
    File file(BIO_new_file(path.c_str(), "w"));
    if (!file || PEM_write_bio_PrivateKey(file.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        Fail("cannot write " + path);
    }
}

}  // namespace

TestCertificates MakeTestCertificates(const std::string& folder, const std::vector<std::string>& hostNames) {
    std::string alternativeNames;
    for (const auto& hostName : hostNames) {
        if (!IsPlainHostName(hostName)) {
            throw std::runtime_error("test certificates: not a host name: \"" + hostName + "\"");
        }
        alternativeNames += "DNS:" + hostName + ",";
    }
    alternativeNames += "IP:127.0.0.1";

    const Key authorityKey = NewKey();
    const Certificate authority = NewCertificate("Albumora throw-away test CA", authorityKey.get());
    AddExtension(authority.get(), authority.get(), NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(authority.get(), authority.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(authority.get(), authority.get(), NID_subject_key_identifier, "hash");
    AddExtension(authority.get(), authority.get(), NID_authority_key_identifier, "keyid:always");
    Sign(authority.get(), authority.get(), authorityKey.get());

    const Key serverKey = NewKey();
    // The name is only for people reading the certificate: clients go by the alternative names.
    const std::string commonName = hostNames.empty() || hostNames[0].size() > 64 ? "127.0.0.1" : hostNames[0];
    const Certificate server = NewCertificate(commonName, serverKey.get());
    AddExtension(server.get(), authority.get(), NID_basic_constraints, "CA:FALSE");
    AddExtension(server.get(), authority.get(), NID_key_usage, "critical,digitalSignature");
    AddExtension(server.get(), authority.get(), NID_ext_key_usage, "serverAuth");
    AddExtension(server.get(), authority.get(), NID_subject_key_identifier, "hash");
    AddExtension(server.get(), authority.get(), NID_authority_key_identifier, "keyid:always");
    AddExtension(server.get(), authority.get(), NID_subject_alt_name, alternativeNames);
    Sign(server.get(), authority.get(), authorityKey.get());

    const std::filesystem::path base(folder);
    TestCertificates certificates{.caPath = (base / "test-ca.pem").string(),
                                  .certPath = (base / "server-cert.pem").string(),
                                  .keyPath = (base / "server-key.pem").string()};
    WriteCertificate(certificates.caPath, authority.get());
    WriteCertificate(certificates.certPath, server.get());
    WriteKey(certificates.keyPath, serverKey.get());
    return certificates;
}

}  // namespace albumora::test
