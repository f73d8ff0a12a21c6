<?php
// Prints a mail the relay stored in its mail folder as readable UTF-8 text:
// the headers with their encoded words decoded, then each text part.
//   php relay/read-mail.php <file.eml>
declare(strict_types=1);

if (PHP_SAPI !== 'cli') {
    http_response_code(404);
    exit;
}

function to_utf8(string $bytes): string
{
    // The reports are windows-1252; its letters used here are those of Latin-1.
    return function_exists('mb_convert_encoding')
        ? mb_convert_encoding($bytes, 'UTF-8', 'Windows-1252')
        : @utf8_encode($bytes);
}

function decode_words(string $header): string
{
    return preg_replace_callback(
        '/=\?[^?]+\?B\?([^?]*)\?=\s*/i',
        static fn (array $m): string => to_utf8((string) base64_decode($m[1])),
        $header
    );
}

$mail = @file_get_contents($argv[1] ?? '');
if ($mail === false) {
    fwrite(STDERR, "usage: php read-mail.php <file.eml>\n");
    exit(1);
}
[$head, $body] = explode("\r\n\r\n", str_replace("\r\n ", ' ', $mail), 2) + ['', ''];
foreach (explode("\r\n", $head) as $line) {
    if (preg_match('/^(To|From|Subject|Date):/', $line) === 1) {
        echo decode_words($line), "\n";
    }
}
preg_match('/boundary="([^"]+)"/', $head, $boundary);
foreach (explode('--' . ($boundary[1] ?? "\0"), $body) as $part) {
    if (!str_contains($part, 'Content-Transfer-Encoding: base64')) {
        continue;
    }
    [$part_head, $data] = explode("\r\n\r\n", $part, 2) + ['', ''];
    if (preg_match('/filename="([^"]+)"/', $part_head, $name) === 1) {
        echo "\n--- ", $name[1], " ---";
    }
    echo "\n", str_replace("\r\n", "\n", to_utf8((string) base64_decode($data)));
}
