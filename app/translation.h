#pragma once

// The toolkit's own texts (Yes, No, the file dialogs) in Russian, as the program's are.

namespace corvinax {

// Loads Qt's Russian translation where the system has it (Debian's qt6-translations-l10n); without
// it the toolkit's texts stay English and the program works as ever. Returns whether it was loaded.
bool installRussianTranslation();

}  // namespace corvinax
