<?php
// Settings of the Sarvilax mail relay (sendmail.php). Edit the values below
// where the relay is hosted. For the demo and the tests each one can also be
// set from the environment of the web server or of `php -S`:
//
//   SARVILAX_RELAY_SALT        the signature salt the clients are built with
//   SARVILAX_RELAY_SENDER      the one sender address requests may carry
//   SARVILAX_RELAY_ALLOWED     recipients allowed, separated by commas;
//                              empty allows any single address
//   SARVILAX_RELAY_MAX_BYTES   the largest request accepted, in bytes
//   SARVILAX_RELAY_MAILDIR     a folder to write each mail into as a file
//                              instead of handing it to mail(); empty: mail()
//
// An environment variable that is unset or empty leaves the value below.
// This file only returns the settings; fetched directly it answers 404.

declare(strict_types=1);

if (realpath($_SERVER['SCRIPT_FILENAME'] ?? '') === __FILE__) {
    http_response_code(404);
    exit;
}

$settings = [
    'salt' => 'MURKULA',
    'sender' => 'raportit@example.com',
    'allowed_recipients' => [],
    'max_bytes' => 8 * 1024 * 1024,
    'mail_dir' => '',
];

$from_environment = static function (string $name): ?string {
    $value = getenv($name);
    return ($value === false || $value === '') ? null : $value;
};

$settings['salt'] = $from_environment('SARVILAX_RELAY_SALT') ?? $settings['salt'];
$settings['sender'] = $from_environment('SARVILAX_RELAY_SENDER') ?? $settings['sender'];
if (($allowed = $from_environment('SARVILAX_RELAY_ALLOWED')) !== null) {
    $settings['allowed_recipients'] =
        array_values(array_filter(array_map('trim', explode(',', $allowed)), 'strlen'));
}
if (($max_bytes = $from_environment('SARVILAX_RELAY_MAX_BYTES')) !== null) {
    // A value that is not a number refuses every request rather than none.
    $settings['max_bytes'] =
        preg_match('/\A[0-9]{1,15}\z/', $max_bytes) === 1 ? (int) $max_bytes : 0;
}
$settings['mail_dir'] = $from_environment('SARVILAX_RELAY_MAILDIR') ?? $settings['mail_dir'];

return $settings;
