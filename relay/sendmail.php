<?php
// The Sarvilax mail relay. Sarvilax posts one request per report mail with
// the form fields
//
//   f sender address      t recipient            n sender name
//   s subject             b body as hex digits   h signature
//   l attachment name     d attachment as hex digits
//
// all text in Windows code page 1252. The signature h is the lower-case MD5
// of salt . f . t . n . s . body . l . attachment (body and attachment
// decoded from hex). Older clients put the same fields into the query string
// of the request; they are read from there when the form body lacks them.
//
// A request is accepted only when every field is present, the hex fields are
// hex, the signature matches, f is the configured sender, t is one plain
// address (on the allow-list, when there is one) and the request is not
// larger than allowed. The answer is the word True when the mail was stored
// or handed over, False otherwise; always with status 200, so the client
// reads the word. Reasons for a refusal go to the server's error log only.

declare(strict_types=1);

ini_set('display_errors', '0');

const FIELD_KEYS = ['f', 't', 'n', 's', 'b', 'h', 'l', 'd'];
const CHARSET = 'windows-1252';
// Raw bytes per encoded word: 39 bytes give 52 base64 characters, which keeps
// each word within the 75 characters mail headers allow.
const ENCODED_WORD_BYTES = 39;

function answer(bool $accepted, string $reason = ''): never
{
    if (!$accepted && $reason !== '') {
        error_log('sarvilax relay: refused: ' . $reason);
    }
    http_response_code(200);
    header('Content-Type: text/plain; charset=us-ascii');
    header('Cache-Control: no-store');
    echo $accepted ? 'True' : 'False';
    exit;
}

// The eight fields from source, or null when one is missing or not text.
function pick_fields(array $source): ?array
{
    $fields = [];
    foreach (FIELD_KEYS as $key) {
        if (!isset($source[$key]) || !is_string($source[$key])) {
            return null;
        }
        $fields[$key] = $source[$key];
    }
    return $fields;
}

function decode_hex(string $hex): ?string
{
    if (preg_match('/\A(?:[0-9A-Fa-f]{2})*\z/', $hex) !== 1) {
        return null;
    }
    return $hex === '' ? '' : hex2bin($hex);
}

// One plain address: no display name, no list, no line breaks.
function is_plain_address(string $address): bool
{
    $local = "[A-Za-z0-9!#$%&'*+\\/=?^_`{|}~-]+(?:\\.[A-Za-z0-9!#$%&'*+\\/=?^_`{|}~-]+)*";
    $label = '[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?';
    return strlen($address) <= 254
        && preg_match("/\\A{$local}@{$label}(?:\\.{$label})*\\z/", $address) === 1;
}

function is_allowed_recipient(string $address, array $allowed): bool
{
    if ($allowed === []) {
        return true;
    }
    $wanted = strtolower($address);
    foreach ($allowed as $entry) {
        if (strtolower($entry) === $wanted) {
            return true;
        }
    }
    return false;
}

// Header text: printable ASCII as it is, anything else as RFC 2047 words.
function header_text(string $text): string
{
    if (strlen($text) <= 900 && preg_match('/\A[\x20-\x7E]*\z/', $text) === 1
        && !str_contains($text, '=?')) {
        return $text;
    }
    $words = [];
    foreach (str_split($text, ENCODED_WORD_BYTES) as $chunk) {
        $words[] = '=?' . CHARSET . '?B?' . base64_encode($chunk) . '?=';
    }
    return implode("\r\n ", $words);
}

function display_name(string $name): string
{
    return preg_match('/\A[A-Za-z0-9 ]{1,64}\z/', $name) === 1 ? $name : header_text($name);
}

function base64_lines(string $bytes): string
{
    return rtrim(chunk_split(base64_encode($bytes), 76, "\r\n"), "\r\n") . "\r\n";
}

// The MIME body: the message as text and the attachment as a text file, both
// in their original code page.
function mime_body(string $boundary, string $body, string $file_name, string $attachment): string
{
    return "This is a MIME message.\r\n"
        . "--{$boundary}\r\n"
        . 'Content-Type: text/plain; charset=' . CHARSET . "\r\n"
        . "Content-Transfer-Encoding: base64\r\n\r\n"
        . base64_lines($body)
        . "--{$boundary}\r\n"
        . 'Content-Type: text/plain; charset=' . CHARSET . "; name=\"{$file_name}\"\r\n"
        . "Content-Disposition: attachment; filename=\"{$file_name}\"\r\n"
        . "Content-Transfer-Encoding: base64\r\n\r\n"
        . base64_lines($attachment)
        . "--{$boundary}--\r\n";
}

function message_headers(array $mail, string $boundary): array
{
    $domain = substr($mail['sender'], strrpos($mail['sender'], '@') + 1);
    return [
        'From' => display_name($mail['name']) . ' <' . $mail['sender'] . '>',
        'Date' => date(DATE_RFC2822),
        'Message-ID' => '<' . bin2hex(random_bytes(16)) . '@' . $domain . '>',
        'MIME-Version' => '1.0',
        'Content-Type' => "multipart/mixed; boundary=\"{$boundary}\"",
    ];
}

// Writes the whole message under a new name that sorts by arrival: first a
// hidden temporary file, flushed, then renamed, so a reader of the folder
// never sees half a mail.
function store_in_folder(string $folder, string $message): bool
{
    $folder = rtrim($folder, '/');
    if (!is_dir($folder)) {
        error_log("sarvilax relay: mail folder {$folder} does not exist");
        return false;
    }
    $now = microtime(true);
    $name = gmdate('Ymd\THis', (int) $now) . sprintf('.%06d', (int) (fmod($now, 1.0) * 1e6))
        . '-' . bin2hex(random_bytes(4)) . '.eml';
    $temporary = $folder . '/.tmp-' . bin2hex(random_bytes(8));
    $file = @fopen($temporary, 'xb');
    if ($file === false) {
        return false;
    }
    $written = fwrite($file, $message) === strlen($message) && fflush($file) && fsync($file);
    $closed = fclose($file);
    if (!$written || !$closed || !@rename($temporary, $folder . '/' . $name)) {
        @unlink($temporary);
        return false;
    }
    return true;
}

function deliver(array $settings, array $mail): bool
{
    $boundary = '=_sarvilax_' . bin2hex(random_bytes(12));
    $headers = message_headers($mail, $boundary);
    $subject = header_text($mail['subject']);
    $body = mime_body($boundary, $mail['body'], $mail['file_name'], $mail['attachment']);
    if ($settings['mail_dir'] !== '') {
        $head = 'To: ' . $mail['recipient'] . "\r\n" . 'Subject: ' . $subject . "\r\n";
        foreach ($headers as $key => $value) {
            $head .= "{$key}: {$value}\r\n";
        }
        return store_in_folder($settings['mail_dir'], $head . "\r\n" . $body);
    }
    return mail($mail['recipient'], $subject, $body, $headers, '-f' . $mail['sender']);
}

// The mail a request asks for, or the reason it is refused.
function checked_mail(array $settings, array $fields): array|string
{
    $body = decode_hex($fields['b']);
    $attachment = decode_hex($fields['d']);
    if ($body === null || $attachment === null) {
        return 'body or attachment is not hex';
    }
    $expected = md5($settings['salt'] . $fields['f'] . $fields['t'] . $fields['n'] . $fields['s']
        . $body . $fields['l'] . $attachment);
    if (!hash_equals($expected, $fields['h'])) {
        return 'signature does not match';
    }
    if ($fields['f'] !== $settings['sender'] || !is_plain_address($fields['f'])) {
        return 'sender is not the configured sender';
    }
    $recipient = trim($fields['t'], ' ');
    if (!is_plain_address($recipient)) {
        return 'recipient is not one plain address';
    }
    if (!is_allowed_recipient($recipient, $settings['allowed_recipients'])) {
        return 'recipient is not on the allow-list';
    }
    if (preg_match('/\A[A-Za-z0-9][A-Za-z0-9._-]{0,63}\z/', $fields['l']) !== 1) {
        return 'attachment name is not a plain file name';
    }
    return [
        'sender' => $fields['f'], 'recipient' => $recipient, 'name' => $fields['n'],
        'subject' => $fields['s'], 'body' => $body, 'file_name' => $fields['l'],
        'attachment' => $attachment,
    ];
}

function main(): never
{
    $settings = require __DIR__ . '/config.php';
    if (($_SERVER['REQUEST_METHOD'] ?? '') !== 'POST') {
        answer(false, 'not a POST request');
    }
    $size = (int) ($_SERVER['CONTENT_LENGTH'] ?? 0) + strlen($_SERVER['QUERY_STRING'] ?? '');
    if ($size > $settings['max_bytes']) {
        answer(false, "request of {$size} bytes is larger than allowed");
    }
    $fields = pick_fields($_POST) ?? pick_fields($_GET);
    if ($fields === null) {
        answer(false, 'a field is missing');
    }
    $mail = checked_mail($settings, $fields);
    if (is_string($mail)) {
        answer(false, $mail);
    }
    answer(deliver($settings, $mail), 'the mail could not be stored or handed over');
}

main();
