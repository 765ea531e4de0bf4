#pragma once

#include <QString>
#include <QStringList>

// The user's own SSH keys, as an SFTP login without a password offers them.
namespace SshKeyFile {

// The key files in ~/.ssh that exist, in the order OpenSSH tries them:
// id_ed25519, id_ecdsa, id_rsa.
QStringList defaultKeys();

// Whether the private key file is protected by a passphrase: an OpenSSH
// key whose cipher is not "none", or a PEM key marked encrypted. A file that
// cannot be read counts as not protected (the login then says what is wrong).
bool needsPassphrase(const QString &path);

} // namespace SshKeyFile
