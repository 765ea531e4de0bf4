#pragma once

#include <QString>

class HostKeyFailure;
class KeyPassphraseFailure;

// What a window asks when a site shows a key or certificate not known yet,
// or an SSH key file needs its passphrase: the words, and which answer a
// plain Enter gives. The window only shows the question.
namespace SiteTrust {

// The question about a key or certificate not known yet: the site, the
// key's type or why the certificate is not trusted, and the fingerprint.
QString question(const HostKeyFailure &failure);
// The title of that question.
QString title(const HostKeyFailure &failure);
// Whether Enter trusts it: only a key, or a certificate whose one fault is
// an unknown issuer; one expired or issued for other names needs a click.
bool trustedByDefault(const HostKeyFailure &failure);
// The question for a key file's passphrase, again when the one given was wrong.
QString passphraseQuestion(const KeyPassphraseFailure &failure);

} // namespace SiteTrust
