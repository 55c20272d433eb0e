// Every text of every language, written here as UTF-8 and compared byte for byte
// with what the program draws, which is Windows-1252: a typo, a lost accent or an
// accent saved in the wrong code page all show.
#include <array>
#include <cerrno>
#include <gtest/gtest.h>
#include <iconv.h>
#include <string>
#include <string_view>

#include "wizard/texts.h"

namespace {

std::string windows1252(std::string_view utf8) {
    const iconv_t converter = iconv_open("WINDOWS-1252", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "no UTF-8 to Windows-1252 converter";
        return {};
    }
    std::string in(utf8), out(in.size(), '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t fromLeft = in.size(), toLeft = out.size();
    if (iconv(converter, &from, &fromLeft, &to, &toLeft) == static_cast<std::size_t>(-1)) {
        ADD_FAILURE() << "not Windows-1252 text: " << utf8;
    }
    iconv_close(converter);
    out.resize(out.size() - toLeft);
    return out;
}

struct Expected {
    const char* name;
    const char* const* table;
    std::array<const char*, LanguageCount> texts;
};

const Expected expectedTables[] = {
    {"LanguageButtonLabels",
     LanguageButtonLabels,
     {"Install in English", "Instalar en Español", "Installation en Français",
      "Installa in Italiano", "Installer på norsk", "Instalação em Português",
      "Installera på svenska", "Installeer in Nederlands"}},
    {"BackLabels",
     BackLabels,
     {"< Back", "< Volver", "< Retour", "< Indietro", "< Tilbake", "< Atrás", "< Bakåt",
      "< Terug"}},
    {"NextLabels",
     NextLabels,
     {"Next >", "Siguiente >", "Suite >", "Avanti >", "Neste >", "Seguinte >", "Nästa >",
      "Volgende >"}},
    {"FinishLabels",
     FinishLabels,
     {"Finish", "Terminar", "Finir", "Fine", "Avslutt", "Terminar", "Avsluta", "Einde"}},
    {"ExitLabels",
     ExitLabels,
     {"Exit", "Salir", "Quitter", "Esci", "Avslutt", "Sair", "Avsluta", "Stop"}},
    {"YesLabels", YesLabels, {"Yes", "Sí", "Oui", "Sì", "Ja", "Sim", "Ja", "Ja"}},
    {"NoLabels", NoLabels, {"No", "No", "Non", "No", "Nei", "Não", "Nej", "Nee"}},
    {"WindowTitles",
     WindowTitles,
     {"Tactico Update", "Actualización Tactico", "Mise à jour de Tactico",
      "Aggiornamento di Tactico", "Oppdatering av Tactico", "Tactico - Actualização",
      "Tactico Uppdatering", "Tactico Update"}},
    {"CurrentVersionLabels",
     CurrentVersionLabels,
     {"Current installed version:", "Versión actual instalada:", "Version actuellement installée:",
      "Versione attualmente installata:", "Nåværende versjon:", "Versão instalada currentemente:",
      "Nuvarande installerad version:", "Huidige geinstalleerde versie:"}},
    {"NewVersionLabels",
     NewVersionLabels,
     {"New version to install:", "Nueva versión a instalar:", "Nouvelle version à installer:",
      "Nuova versione da installare:", "Innstallerer versjon:", "Nova versão a instalar:",
      "Ny version att installera:", "Nieuwe versie om te installeren:"}},
    {"UpdatePrompts",
     UpdatePrompts,
     {"Click 'Next' to update", "Pulsa en 'Siguiente' para actualizar",
      "Cliquez sur 'Suite' pour mettre à jour", "Premi 'Avanti' per iniziare l'aggiornamento",
      "Klikk 'Neste' for å oppdatere", "Clique 'Seguinte' para actualizar",
      "Klicka på nästa för att uppdatera", "Klik op 'volgende'om updaten te starten"}},
    {"ContinuePrompts",
     ContinuePrompts,
     {"Click 'Next' to continue", "Pulsa 'Siguiente' para continuar",
      "Cliquez sur 'Suite' pour continuer", "Premi 'Avanti' per continuare",
      "Klikk 'Neste' for å fortsette", "Escolha 'Seguinte' para continuar",
      "Klicka på 'Nästa' för att fortsätta", "Klik op 'volgende' om door te gaan"}},
    {"UpdatingLabels",
     UpdatingLabels,
     {"Updating...", "Actualizando...", "Mise à jour...", "Aggiornamento in corso...",
      "Oppdaterer...", "Actualizando...", "Uppdaterar...", "Updating..."}},
    {"UpdateCompletedLabels",
     UpdateCompletedLabels,
     {"Update completed", "Actualización completada", "Mise à jour réussie",
      "Aggiornamento completato", "Oppdateringen er ferdig", "Actualização terminada",
      "Uppdatering klar", "Update afgerond"}},
    {"InstallNotFoundMessages",
     InstallNotFoundMessages,
     {"Unable to find Tactico installation", "No se encuentra la instalación del Tactico",
      "Installation de Tactico introuvable", "Impossibile trovare l'installazione di Tactico",
      "Klarer ikke å finne Tactico", "Incapaz de encontrar instalação do Tactico",
      "Kan ej hitta Tactico installation", "Kan het geinstalleerde bestand Tactico niet vinden"}},
    {"ReinstallAdvice",
     ReinstallAdvice,
     {"Re-install Tactico from CD and try again",
      "Reinstala el Tactico desde el CD e inténtalo de nuevo",
      "Réinstallez le CD de Tactico et réessayez", "Installa nuovamente Tactico e prova di nuovo",
      "Innstaller Tactico på nytt fra CD og prøv igjen",
      "Re-instalar o Tactico a partir do CD e tentar novamente",
      "Ominstallera Tactico från CD:n och försök igen",
      "Installeer Tactico opnieuw en probeer nogmaals"}},
    {"InstallCorruptMessages",
     InstallCorruptMessages,
     {"Tactico installation is corrupt", "La instalación del Tactico está dañada",
      "L'installation de Tactico est corrompue", "L'installazione di Tactico non è corretta",
      "Feil ved Tactico innstalleringen", "Instalação do Tactico está corrompida",
      "Tactico installationen är skadad", "Tactico is niet correct afgerond"}},
    {"SourceFileMissingMessages",
     SourceFileMissingMessages,
     {"Unable to find a source file", "No se encuentra un fichero de origen",
      "Impossible de trouver un fichier source", "Impossibile trovare il file di aggiornamento",
      "Klarer ikke å finne kilde filen", "Incapaz de encontrar um ficheiro de instalação",
      "Kan ej hitta källfil", "Kan bronbestand niet vinden"}},
    {"UpdateFileCorruptMessages",
     UpdateFileCorruptMessages,
     {"The update file is corrupt", "El archivo de actualización está dañado",
      "Le fichier de mise à jour est corrompu", "Il file di aggiornamento è alterato",
      "Feil ved oppdateringsfilen", "O ficheiro de actualização está corrompido",
      "Uppdateringsfilen är skadad", "De update file is onjuist"}},
    {"IncompatibleUpdateMessages",
     IncompatibleUpdateMessages,
     {"This update is not compatible with your existing Tactico installation. Please download the "
      "full update instead.",
      "Esta actualización no es compatible con tu instalación actual del Tactico. Intenta bajarte "
      "de Internet la actualización completa.",
      "Cette mise à jour n'est pas compatible avec la version de Tactico installée sur votre "
      "ordinateur. Veuillez télécharger la mise à jour complète.",
      "Questo aggiornamento non è compatibile con la versione di Tactico installata. Scarica la "
      "versione completa dell'aggiornamento.",
      "Denne oppdateringer er ikke kompatibel med din nåværende versjon av Tactico. Vennligst last "
      "ned den fulle oppdateringsversjonen i stedet.",
      "Esta actualização não é compatível com a sua presente instalação do Tactico. Por favor faça "
      "o 'download' da actualização total.",
      "Denna uppdatering är ej kompatibel med din tidigare Tactico installation. Var vänlig ladda "
      "ner denna fulla updateringsversionen istället.",
      "Deze update is niet geschikt voor de huidige geinstalleerde Tactico versie. Download de "
      "volledige update opnieuw."}},
    {"QuickStartOutOfDateMessages",
     QuickStartOutOfDateMessages,
     {"The quick start files from your original installation are out of date. They will still "
      "work, but will not contain the most recent data.",
      "Los ficheros de partidas rapidas de tu instalacion original han caducado. Funcionan, pero "
      "no contienen los datos mas recientes.",
      "Les parties express stockées sur votre installation d'origine sont périmées. Elles "
      "fonctionneront encore, mais ne contiendront pas les données les plus récentes.",
      "I file di Avvio Rapido dell'installazione precedente non sono recenti. I file funzionano "
      "ancora, ma non contengono il database aggiornato.",
      "Hurtigstartfilene fra din opprinnelige innstallering er for gamle. De vil fremdeles "
      "fungere, men vil ikke inneholde de nyeste dataene.",
      "Os ficheiros de inícios rápidos estão desactualizados. Eles ainda serão funcionais, mas não "
      "incluem os dados mais recentes.",
      "Dina snabbstartfiler från originalinstallationen är gamla. De kommer fortfarande att "
      "fungera, men innehåller ej den senaste uppdateringarna.",
      "De snelstart bestanden van uw originele installatie zijn verouderd. Ze zullen nog goed "
      "werken maar zullen niet de meest recente data bevatten.."}},
    {"DeleteQuickStartQuestions",
     DeleteQuickStartQuestions,
     {"Delete the quick start files (recommended) ?",
      "¿Borrar los ficheros de partidas rapidas (recomendado)?",
      "Supprimer les parties express (recommandé) ?",
      "Vuoi cancellare i file di Avvio Rapido (raccomandato) ?",
      "Slett hurtigstartfilene (anbefales) ?",
      "Apagar os ficheiros de inícios rápidos (recomendável) ?",
      "Radera snabbstartsfiler (rekomenderas) ?",
      "De snelstart bestanden verwijderen (aanbevolen) ?"}},
    {"PathEntryPrompts", PathEntryPrompts, {"", "", "", "", "", "", "", ""}},
    {"WriteFailureMessages", WriteFailureMessages, {"", "", "", "", "", "", "", ""}},
    {"LanguageReadmeFiles",
     LanguageReadmeFiles,
     {"readme_eng.txt", "readme_esp.txt", "readme_fra.txt", "readme_ita.txt", "readme_nor.txt",
      "readme_por.txt", "readme_sve.txt", "readme_dut.txt"}},
};

TEST(Texts, EveryTextOfEveryLanguage) {
    for (const Expected& expected : expectedTables) {
        for (int language = 0; language < LanguageCount; ++language) {
            EXPECT_EQ(expected.table[language], windows1252(expected.texts[language]))
                << expected.name << ", language " << language;
        }
    }
    EXPECT_STREQ(UpdaterVersionText, "Version 3.84 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)");
    for (int language = 0; language < LanguageCount; ++language) {
        EXPECT_EQ(LanguageEnabled[language], 1) << language;
    }
}

TEST(Texts, ConversionGivesSingleBytesOfTheCodePage) {
    // The comparison above is only as good as this conversion.
    EXPECT_EQ(windows1252("¿Sí? ñ å ç é"), "\xBFS\xED? \xF1 \xE5 \xE7 \xE9");
}

} // namespace
