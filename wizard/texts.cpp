#include "wizard/texts.h"

// Windows-1252 bytes throughout: the fonts index their glyphs by byte value.

const std::uint8_t LanguageEnabled[LanguageCount] = {1, 1, 1, 1, 1, 1, 1, 1};

MessageTable LanguageReadmeFiles = {"readme_eng.txt", "readme_esp.txt", "readme_fra.txt",
                                    "readme_ita.txt", "readme_nor.txt", "readme_por.txt",
                                    "readme_sve.txt", "readme_dut.txt"};
const char* const UpdaterVersionText = "Version 3.84 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)";

MessageTable LanguageButtonLabels = {
    "Install in English",
    "Instalar en Espa\xF1ol",
    ("Installation en Fran\xE7"
     "ais"),
    "Installa in Italiano",
    "Installer p\xE5 norsk",
    "Instala\xE7\xE3o em Portugu\xEAs",
    "Installera p\xE5 svenska",
    "Installeer in Nederlands",
};

MessageTable BackLabels = {
    "< Back",    "< Volver",   "< Retour",   "< Indietro",
    "< Tilbake", "< Atr\xE1s", "< Bak\xE5t", "< Terug",
};

MessageTable NextLabels = {
    "Next >",  "Siguiente >", "Suite >",    "Avanti >",
    "Neste >", "Seguinte >",  "N\xE4sta >", "Volgende >",
};

MessageTable FinishLabels = {
    "Finish", "Terminar", "Finir", "Fine", "Avslutt", "Terminar", "Avsluta", "Einde",
};

MessageTable ExitLabels = {
    "Exit", "Salir", "Quitter", "Esci", "Avslutt", "Sair", "Avsluta", "Stop",
};

MessageTable YesLabels = {
    "Yes", "S\xED", "Oui", "S\xEC", "Ja", "Sim", "Ja", "Ja",
};

MessageTable NoLabels = {
    "No", "No", "Non", "No", "Nei", "N\xE3o", "Nej", "Nee",
};

MessageTable WindowTitles = {
    "Tactico Update",           "Actualizaci\xF3n Tactico", "Mise \xE0 jour de Tactico",
    "Aggiornamento di Tactico", "Oppdatering av Tactico",   "Tactico - Actualiza\xE7\xE3o",
    "Tactico Uppdatering",      "Tactico Update",
};

MessageTable CurrentVersionLabels = {
    "Current installed version:",
    "Versi\xF3n actual instalada:",
    ("Version actuellement install\xE9"
     "e:"),
    "Versione attualmente installata:",
    "N\xE5v\xE6rende versjon:",
    "Vers\xE3o instalada currentemente:",
    "Nuvarande installerad version:",
    "Huidige geinstalleerde versie:",
};

MessageTable NewVersionLabels = {
    "New version to install:",
    "Nueva versi\xF3n a instalar:",
    "Nouvelle version \xE0 installer:",
    "Nuova versione da installare:",
    "Innstallerer versjon:",
    "Nova vers\xE3o a instalar:",
    "Ny version att installera:",
    "Nieuwe versie om te installeren:",
};

MessageTable UpdatePrompts = {
    "Click 'Next' to update",
    "Pulsa en 'Siguiente' para actualizar",
    "Cliquez sur 'Suite' pour mettre \xE0 jour",
    "Premi 'Avanti' per iniziare l'aggiornamento",
    "Klikk 'Neste' for \xE5 oppdatere",
    "Clique 'Seguinte' para actualizar",
    "Klicka p\xE5 n\xE4sta f\xF6r att uppdatera",
    "Klik op 'volgende'om updaten te starten",
};

MessageTable ContinuePrompts = {
    "Click 'Next' to continue",
    "Pulsa 'Siguiente' para continuar",
    "Cliquez sur 'Suite' pour continuer",
    "Premi 'Avanti' per continuare",
    "Klikk 'Neste' for \xE5 fortsette",
    "Escolha 'Seguinte' para continuar",
    "Klicka p\xE5 'N\xE4sta' f\xF6r att forts\xE4tta",
    "Klik op 'volgende' om door te gaan",
};

MessageTable UpdatingLabels = {
    "Updating...",   "Actualizando...", "Mise \xE0 jour...", "Aggiornamento in corso...",
    "Oppdaterer...", "Actualizando...", "Uppdaterar...",     "Updating...",
};

MessageTable UpdateCompletedLabels = {
    "Update completed",          "Actualizaci\xF3n completada",
    "Mise \xE0 jour r\xE9ussie", "Aggiornamento completato",
    "Oppdateringen er ferdig",   "Actualiza\xE7\xE3o terminada",
    "Uppdatering klar",          "Update afgerond",
};

MessageTable InstallNotFoundMessages = {
    "Unable to find Tactico installation", "No se encuentra la instalaci\xF3n del Tactico",
    "Installation de Tactico introuvable", "Impossibile trovare l'installazione di Tactico",
    "Klarer ikke \xE5 finne Tactico",      "Incapaz de encontrar instala\xE7\xE3o do Tactico",
    "Kan ej hitta Tactico installation",   "Kan het geinstalleerde bestand Tactico niet vinden",
};

MessageTable ReinstallAdvice = {
    "Re-install Tactico from CD and try again",
    "Reinstala el Tactico desde el CD e int\xE9ntalo de nuevo",
    ("R\xE9installez le CD de Tactico et r\xE9"
     "essayez"),
    "Installa nuovamente Tactico e prova di nuovo",
    "Innstaller Tactico p\xE5 nytt fra CD og pr\xF8v igjen",
    "Re-instalar o Tactico a partir do CD e tentar novamente",
    "Ominstallera Tactico fr\xE5n CD:n och f\xF6rs\xF6k igen",
    "Installeer Tactico opnieuw en probeer nogmaals",
};

MessageTable InstallCorruptMessages = {
    "Tactico installation is corrupt",
    ("La instalaci\xF3n del Tactico est\xE1 da\xF1"
     "ada"),
    "L'installation de Tactico est corrompue",
    "L'installazione di Tactico non \xE8 corretta",
    "Feil ved Tactico innstalleringen",
    "Instala\xE7\xE3o do Tactico est\xE1 corrompida",
    "Tactico installationen \xE4r skadad",
    "Tactico is niet correct afgerond",
};

MessageTable SourceFileMissingMessages = {
    "Unable to find a source file",
    "No se encuentra un fichero de origen",
    "Impossible de trouver un fichier source",
    "Impossibile trovare il file di aggiornamento",
    "Klarer ikke \xE5 finne kilde filen",
    "Incapaz de encontrar um ficheiro de instala\xE7\xE3o",
    "Kan ej hitta k\xE4llfil",
    "Kan bronbestand niet vinden",
};

MessageTable UpdateFileCorruptMessages = {
    "The update file is corrupt",
    ("El archivo de actualizaci\xF3n est\xE1 da\xF1"
     "ado"),
    "Le fichier de mise \xE0 jour est corrompu",
    "Il file di aggiornamento \xE8 alterato",
    "Feil ved oppdateringsfilen",
    "O ficheiro de actualiza\xE7\xE3o est\xE1 corrompido",
    "Uppdateringsfilen \xE4r skadad",
    "De update file is onjuist",
};

MessageTable IncompatibleUpdateMessages = {
    "This update is not compatible with your existing Tactico installation. Please download the "
    "full update instead.",
    "Esta actualizaci\xF3n no es compatible con tu instalaci\xF3n actual del Tactico. Intenta "
    "bajarte de Internet la actualizaci\xF3n completa.",
    ("Cette mise \xE0 jour n'est pas compatible avec la version de Tactico install\xE9"
     "e sur votre ordinateur. Veuillez t\xE9l\xE9"
     "charger la mise \xE0 jour compl\xE8te."),
    "Questo aggiornamento non \xE8 compatibile con la versione di Tactico installata. Scarica la "
    "versione completa dell'aggiornamento.",
    "Denne oppdateringer er ikke kompatibel med din n\xE5v\xE6rende versjon av Tactico. Vennligst "
    "last ned den fulle oppdateringsversjonen i stedet.",
    ("Esta actualiza\xE7\xE3o n\xE3o \xE9 compat\xEDvel com a sua presente instala\xE7\xE3o do "
     "Tactico. Por favor fa\xE7"
     "a o 'download' da actualiza\xE7\xE3o total."),
    "Denna uppdatering \xE4r ej kompatibel med din tidigare Tactico installation. Var v\xE4nlig "
    "ladda ner denna fulla updateringsversionen ist\xE4llet.",
    "Deze update is niet geschikt voor de huidige geinstalleerde Tactico versie. Download de "
    "volledige update opnieuw.",
};

MessageTable QuickStartOutOfDateMessages = {
    "The quick start files from your original installation are out of date. They will still work, "
    "but will not contain the most recent data.",
    "Los ficheros de partidas rapidas de tu instalacion original han caducado. Funcionan, pero no "
    "contienen los datos mas recientes.",
    ("Les parties express stock\xE9"
     "es sur votre installation d'origine sont p\xE9rim\xE9"
     "es. Elles fonctionneront encore, mais ne contiendront pas les donn\xE9"
     "es les plus r\xE9"
     "centes."),
    "I file di Avvio Rapido dell'installazione precedente non sono recenti. I file funzionano "
    "ancora, ma non contengono il database aggiornato.",
    "Hurtigstartfilene fra din opprinnelige innstallering er for gamle. De vil fremdeles fungere, "
    "men vil ikke inneholde de nyeste dataene.",
    ("Os ficheiros de in\xED"
     "cios r\xE1pidos est\xE3o desactualizados. Eles ainda ser\xE3o funcionais, mas n\xE3o incluem "
     "os dados mais recentes."),
    "Dina snabbstartfiler fr\xE5n originalinstallationen \xE4r gamla. De kommer fortfarande att "
    "fungera, men inneh\xE5ller ej den senaste uppdateringarna.",
    "De snelstart bestanden van uw originele installatie zijn verouderd. Ze zullen nog goed werken "
    "maar zullen niet de meest recente data bevatten..",
};

MessageTable DeleteQuickStartQuestions = {
    "Delete the quick start files (recommended) ?",
    ("\xBF"
     "Borrar los ficheros de partidas rapidas (recomendado)?"),
    "Supprimer les parties express (recommand\xE9) ?",
    "Vuoi cancellare i file di Avvio Rapido (raccomandato) ?",
    "Slett hurtigstartfilene (anbefales) ?",
    ("Apagar os ficheiros de in\xED"
     "cios r\xE1pidos (recomend\xE1vel) ?"),
    "Radera snabbstartsfiler (rekomenderas) ?",
    "De snelstart bestanden verwijderen (aanbevolen) ?",
};

MessageTable PathEntryPrompts = {
    "", "", "", "", "", "", "", "",
};

MessageTable WriteFailureMessages = {
    "", "", "", "", "", "", "", "",
};
