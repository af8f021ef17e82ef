// Prints a certificate's subject as Windows' CertNameToStrW(X509_ASN_ENCODING, subject,
// CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG) writes it (the form a package's Publisher must
// have), UTF-8 on standard output: the oracle the publisher test compares scripts/msix.py with.
//   qm_cert_name_probe.exe CERT.der
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/base/handles_win.h"
#include "core/base/text.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    qm::UniqueFile file(
        CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 1;
    std::vector<BYTE> der(1 << 16);
    DWORD read = 0;
    if (!ReadFile(file.get(), der.data(), static_cast<DWORD>(der.size()), &read, nullptr) || read == 0) return 1;
    const std::unique_ptr<const CERT_CONTEXT, decltype(&CertFreeCertificateContext)> cert(
        CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), read), &CertFreeCertificateContext);
    if (!cert) return 1;
    const DWORD flags = CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG;
    const DWORD length = CertNameToStrW(X509_ASN_ENCODING, &cert->pCertInfo->Subject, flags, nullptr, 0);
    std::wstring text(length, L'\0');
    CertNameToStrW(X509_ASN_ENCODING, &cert->pCertInfo->Subject, flags, text.data(), length);
    text.resize(length > 0 ? length - 1 : 0);
    const std::string utf8 = qm::WideToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    return 0;
}
