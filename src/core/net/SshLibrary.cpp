#include "core/net/SshLibrary.h"

#include <libssh/libssh.h>
#include <libssh/sftp.h>

TLazyLibrary &SshLibrary() {
  static TLazyLibrary lib("SSH", {QM_LIBSSH_SONAME, "libssh.so.4", "libssh.so"});
  return lib;
}

#define QM_SSH(ret, name, params, args) QM_LAZY_FORWARD(SshLibrary(), ret, name, params, args)

QM_SSH(ssh_session, ssh_new, (void), ())
QM_SSH(void, ssh_free, (ssh_session s), (s))
QM_SSH(int, ssh_options_set, (ssh_session s, enum ssh_options_e t, const void *v), (s, t, v))
QM_SSH(int, ssh_connect, (ssh_session s), (s))
QM_SSH(void, ssh_disconnect, (ssh_session s), (s))
QM_SSH(int, ssh_is_connected, (ssh_session s), (s))
QM_SSH(const char *, ssh_get_error, (void *e), (e))
QM_SSH(socket_t, ssh_get_fd, (ssh_session s), (s))
QM_SSH(int, ssh_get_server_publickey, (ssh_session s, ssh_key *k), (s, k))
QM_SSH(int, ssh_get_publickey_hash,
       (const ssh_key k, enum ssh_publickey_hash_type t, unsigned char **h, size_t *n), (k, t, h, n))
QM_SSH(char *, ssh_get_fingerprint_hash, (enum ssh_publickey_hash_type t, unsigned char *h, size_t n),
       (t, h, n))
QM_SSH(void, ssh_clean_pubkey_hash, (unsigned char **h), (h))
QM_SSH(void, ssh_key_free, (ssh_key k), (k))
QM_SSH(void, ssh_string_free_char, (char *s), (s))
QM_SSH(int, ssh_pki_import_privkey_file,
       (const char *f, const char *p, ssh_auth_callback cb, void *d, ssh_key *k), (f, p, cb, d, k))
QM_SSH(int, ssh_userauth_password, (ssh_session s, const char *u, const char *p), (s, u, p))
QM_SSH(int, ssh_userauth_publickey, (ssh_session s, const char *u, const ssh_key k), (s, u, k))

QM_SSH(sftp_session, sftp_new, (ssh_session s), (s))
QM_SSH(int, sftp_init, (sftp_session s), (s))
QM_SSH(void, sftp_free, (sftp_session s), (s))
QM_SSH(int, sftp_get_error, (sftp_session s), (s))
QM_SSH(int, sftp_extension_supported, (sftp_session s, const char *n, const char *d), (s, n, d))
QM_SSH(char *, sftp_canonicalize_path, (sftp_session s, const char *p), (s, p))
QM_SSH(sftp_attributes, sftp_lstat, (sftp_session s, const char *p), (s, p))
QM_SSH(void, sftp_attributes_free, (sftp_attributes a), (a))
QM_SSH(sftp_dir, sftp_opendir, (sftp_session s, const char *p), (s, p))
QM_SSH(sftp_attributes, sftp_readdir, (sftp_session s, sftp_dir d), (s, d))
QM_SSH(int, sftp_dir_eof, (sftp_dir d), (d))
QM_SSH(int, sftp_closedir, (sftp_dir d), (d))
QM_SSH(sftp_file, sftp_open, (sftp_session s, const char *f, int a, mode_t m), (s, f, a, m))
QM_SSH(ssize_t, sftp_read, (sftp_file f, void *b, size_t n), (f, b, n))
QM_SSH(ssize_t, sftp_write, (sftp_file f, const void *b, size_t n), (f, b, n))
QM_SSH(int, sftp_close, (sftp_file f), (f))
QM_SSH(int, sftp_mkdir, (sftp_session s, const char *d, mode_t m), (s, d, m))
QM_SSH(int, sftp_rmdir, (sftp_session s, const char *d), (s, d))
QM_SSH(int, sftp_unlink, (sftp_session s, const char *f), (s, f))
QM_SSH(int, sftp_rename, (sftp_session s, const char *a, const char *b), (s, a, b))
QM_SSH(int, sftp_utimes, (sftp_session s, const char *f, const struct timeval *t), (s, f, t))
