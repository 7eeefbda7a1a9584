#!/bin/sh
# Lists the messages that the sources hand to the translation but that a Chinese catalog lacks: each
# would be shown in English to a Chinese user. Exit status 1 when there is one.
#
# A message is marked for translation by what it is handed to (the keywords below: the functions
# that translate their argument and the error types whose text is translated where it is caught),
# or by standing in one of the text tables, files whose every string is a message.
# usage: scripts/untranslated-messages.sh [SOURCE_DIR]   (default: the checkout holding this script)
set -eu
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tables="app/SendSmsTexts.h modem/Texts.h sms/SmsLengthLine.h net/ServerChecks.h"

# xgettext sees calls only: a brace-initialised error (CliUsageError{"...", ...}) is copied as a call.
mkdir "$work/src"
find app base fleet i18n modem net qr settings sms -name '*.cpp' -o -name '*.h' | while read -r file; do
    mkdir -p "$work/src/$(dirname "$file")"
    sed 's/\(CliUsageError\){"/\1("/g' "$file" >"$work/src/$file"
done
cd "$work/src"
find . -name '*.cpp' -o -name '*.h' | sort >"$work/sources"
xgettext --language=C++ --from-code=UTF-8 --no-location --no-wrap --sort-output \
    --keyword= \
    --keyword=Say:2 \
    --keyword=TranslateOrKeep:2 \
    --keyword=Translate:1 \
    --keyword=Translated:1 \
    --keyword=Tr:1,1t --keyword=Tr:2,2t \
    --keyword=CliUsageError:1 \
    --keyword=BatchError:1 --keyword=BoardError:1 --keyword=ResumeError:1 --keyword=ListenError:1 \
    --keyword=CsvError:3 --keyword=Fail:3 \
    --files-from="$work/sources" --output="$work/marked.pot" 2>/dev/null
# shellcheck disable=SC2086
xgettext --language=C++ --from-code=UTF-8 --extract-all --no-location --no-wrap --sort-output \
    --output="$work/tables.pot" $tables 2>/dev/null
cd "$root"
msgcat --use-first --no-wrap "$work/marked.pot" "$work/tables.pot" --output="$work/messages.pot"

status=0
for catalog in i18n/catalogs/zh_CN.po i18n/catalogs/zh_TW.po; do
    msgmerge --quiet --no-fuzzy-matching --no-wrap --output-file="$work/merged.po" "$catalog" "$work/messages.pot"
    msgattrib --force-po --untranslated --no-obsolete --no-wrap --output-file="$work/missing.po" "$work/merged.po"
    # A string that ends in a space, or in a space and an opening quotation mark, is the head of a text
    # put together with "+" (xgettext takes an argument's first string): no catalog can hold that text.
    sed -n 's/^msgid \(".\+"\)$/  \1/p' "$work/missing.po" | grep -v -e ' "$' -e ' \\""$' >"$work/lacking" || true
    if [ -s "$work/lacking" ]; then
        echo "$catalog lacks:"
        cat "$work/lacking"
        status=1
    fi
done
exit $status
