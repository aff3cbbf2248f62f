<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>BatchWindow</name>
    <message>
        <source>Batch Processing</source>
        <translation>Stapelverarbeitung</translation>
    </message>
    <message>
        <source>Comments written into every file</source>
        <translation>Kommentare für jede Datei</translation>
    </message>
    <message>
        <source>Files to process</source>
        <translation>Zu bearbeitende Dateien</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Files to process: %1</source>
        <translation>Zu bearbeitende Dateien: %1</translation>
    </message>
    <message>
        <source>Files added: %1</source>
        <translation>Hinzugefügte Dateien: %1</translation>
    </message>
    <message>
        <source>Add Files to the Batch</source>
        <translation>Dateien zum Stapel hinzufügen</translation>
    </message>
    <message>
        <source>Add a Folder to the Batch</source>
        <translation>Ordner zum Stapel hinzufügen</translation>
    </message>
    <message>
        <source>The batch cannot run: no PNG file can hold one of its entries.</source>
        <translation>Der Stapel kann nicht ausgeführt werden: Keine PNG-Datei kann einen seiner Einträge aufnehmen.</translation>
    </message>
    <message>
        <source>Progress</source>
        <comment>what a screen reader calls the progress bar</comment>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Starting…</source>
        <translation>Wird gestartet …</translation>
    </message>
    <message>
        <source>Cancelling after the files in progress…</source>
        <translation>Wird nach den laufenden Dateien abgebrochen …</translation>
    </message>
    <message>
        <source>A batch run is going on. Stop it and close the window?</source>
        <translation>Eine Stapelverarbeitung läuft. Abbrechen und das Fenster schließen?</translation>
    </message>
    <message>
        <source>The files processed so far keep their new metadata; the others stay as they are.</source>
        <translation>Die bisher bearbeiteten Dateien behalten ihre neuen Metadaten; die übrigen bleiben unverändert.</translation>
    </message>
    <message>
        <source>Stop and Close</source>
        <translation>Abbrechen und schließen</translation>
    </message>
    <message>
        <source>Processing complete</source>
        <translation>Verarbeitung abgeschlossen</translation>
    </message>
    <message>
        <source>Processing cancelled</source>
        <translation>Verarbeitung abgebrochen</translation>
    </message>
    <message>
        <source>Files in the batch: %1</source>
        <translation>Dateien im Stapel: %1</translation>
    </message>
    <message>
        <source>Failed: %1</source>
        <translation>Fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Not processed (the run was cancelled): %1</source>
        <translation>Nicht bearbeitet (die Verarbeitung wurde abgebrochen): %1</translation>
    </message>
    <message>
        <source>Failed files:</source>
        <translation>Fehlgeschlagene Dateien:</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <comment>a file&apos;s name and why it failed</comment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Files not processed:</source>
        <translation>Nicht bearbeitete Dateien:</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n files — %2</source>
        <translation>
            <numerusform>%1 von %n Datei — %2</numerusform>
            <numerusform>%1 von %n Dateien — %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n files were successfully processed.</source>
        <translation>
            <numerusform>%n Datei wurde erfolgreich bearbeitet.</numerusform>
            <numerusform>%n Dateien wurden erfolgreich bearbeitet.</numerusform>
        </translation>
    </message>
    <message>
        <source>Left as they were (nothing to remove): %1</source>
        <translation>Unverändert (nichts zu entfernen): %1</translation>
    </message>
    <message>
        <source>Batch Processing %1</source>
        <translation>Stapelverarbeitung %1</translation>
    </message>
    <message>
        <source>Discard the files and comments of this batch window?</source>
        <translation>Die Dateien und Kommentare dieses Stapelfensters verwerfen?</translation>
    </message>
    <message>
        <source>Files: %1, comments: %2. They are not kept when the window closes.</source>
        <translation>Dateien: %1, Kommentare: %2. Sie werden beim Schließen des Fensters nicht aufbewahrt.</translation>
    </message>
</context>
<context>
    <name>ChunkSummary</name>
    <message>
        <source>malformed (%1 bytes)</source>
        <translation>fehlerhaft (%1 Bytes)</translation>
    </message>
    <message>
        <source>greyscale</source>
        <translation>Graustufen</translation>
    </message>
    <message>
        <source>palette</source>
        <translation>Palette</translation>
    </message>
    <message>
        <source>greyscale with alpha</source>
        <translation>Graustufen mit Alpha</translation>
    </message>
    <message>
        <source>RGB with alpha</source>
        <translation>RGB mit Alpha</translation>
    </message>
    <message>
        <source>colour type %1</source>
        <translation>Farbtyp %1</translation>
    </message>
    <message>
        <source>%1×%2, %3-bit %4, %5</source>
        <translation>%1×%2, %3 Bit %4, %5</translation>
    </message>
    <message>
        <source>interlaced (Adam7)</source>
        <translation>mit Zeilensprung (Adam7)</translation>
    </message>
    <message>
        <source>not interlaced</source>
        <translation>ohne Zeilensprung</translation>
    </message>
    <message>
        <source>grey %1</source>
        <translation>Grau %1</translation>
    </message>
    <message>
        <source>%1 × %2 dpi (%3 × %4 pixels per metre)</source>
        <translation>%1 × %2 dpi (%3 × %4 Pixel pro Meter)</translation>
    </message>
    <message>
        <source>pixel aspect ratio %1:%2</source>
        <translation>Pixelseitenverhältnis %1:%2</translation>
    </message>
    <message>
        <source>last modified %1-%2-%3 %4:%5:%6 UTC</source>
        <translation>zuletzt geändert %1-%2-%3 %4:%5:%6 UTC</translation>
    </message>
    <message>
        <source>white point %1, %2; red %3, %4; green %5, %6; blue %7, %8</source>
        <translation>Weißpunkt %1, %2; Rot %3, %4; Grün %5, %6; Blau %7, %8</translation>
    </message>
    <message>
        <source>colour primaries %1, transfer %2, matrix %3, %4</source>
        <translation>Farbprimärvalenzen %1, Übertragung %2, Matrix %3, %4</translation>
    </message>
    <message>
        <source>full range</source>
        <translation>voller Umfang</translation>
    </message>
    <message>
        <source>narrow range</source>
        <translation>eingeschränkter Umfang</translation>
    </message>
    <message>
        <source>mastering display: red %1; green %2; blue %3; white point %4; luminance %5 to %6 cd/m²</source>
        <translation>Mastering-Anzeige: Rot %1; Grün %2; Blau %3; Weißpunkt %4; Leuchtdichte %5 bis %6 cd/m²</translation>
    </message>
    <message>
        <source>maximum content light level %1 cd/m², maximum frame-average %2 cd/m²</source>
        <translation>höchste Inhaltshelligkeit %1 cd/m², höchster Bildmittelwert %2 cd/m²</translation>
    </message>
    <message>
        <source>animation of %1 frames, %2</source>
        <translation>Animation aus %1 Einzelbildern, %2</translation>
    </message>
    <message>
        <source>played forever</source>
        <translation>endlos abgespielt</translation>
    </message>
    <message>
        <source>played %1 times</source>
        <translation>%1-mal abgespielt</translation>
    </message>
    <message>
        <source>frame, sequence %1: %2×%3 at %4, %5, delay %6/%7 s, dispose %8, blend %9</source>
        <translation>Einzelbild, Folge %1: %2×%3 bei %4, %5, Verzögerung %6/%7 s, Entsorgung %8, Überblendung %9</translation>
    </message>
    <message>
        <source>Exif data, unreadable (%1 bytes)</source>
        <translation>Exif-Daten, unlesbar (%1 Bytes)</translation>
    </message>
    <message>
        <source>taken %1</source>
        <translation>aufgenommen %1</translation>
    </message>
    <message>
        <source>GPS position %1</source>
        <translation>GPS-Position %1</translation>
    </message>
    <message>
        <source>GPS position</source>
        <translation>GPS-Position</translation>
    </message>
    <message>
        <source>GPS data without a position</source>
        <translation>GPS-Daten ohne Position</translation>
    </message>
    <message>
        <source>Exif data</source>
        <translation>Exif-Daten</translation>
    </message>
    <message>
        <source>text entry, too large to read (the texts of a file may take %1 MiB in all)</source>
        <translation>Texteintrag, zu groß zum Lesen (die Texte einer Datei dürfen insgesamt %1 MiB belegen)</translation>
    </message>
    <message>
        <source>text entry, unreadable (%1 bytes)</source>
        <translation>Texteintrag, unlesbar (%1 Bytes)</translation>
    </message>
    <message>
        <source>compressed</source>
        <translation>komprimiert</translation>
    </message>
    <message>
        <source>XMP packet with %1 properties%2</source>
        <translation>XMP-Paket mit %1 Eigenschaften%2</translation>
    </message>
    <message>
        <source>XMP packet, unreadable%1</source>
        <translation>XMP-Paket, unlesbar%1</translation>
    </message>
    <message>
        <source>“%1”%2: generation settings (%3): %4</source>
        <translation>„%1“%2: Generierungseinstellungen (%3): %4</translation>
    </message>
    <message>
        <source>palette of %1 colours</source>
        <translation>Palette mit %1 Farben</translation>
    </message>
    <message>
        <source>image data</source>
        <translation>Bilddaten</translation>
    </message>
    <message>
        <source>end of the image</source>
        <translation>Ende des Bildes</translation>
    </message>
    <message>
        <source>alpha of %1 palette entries</source>
        <translation>Alpha von %1 Paletteneinträgen</translation>
    </message>
    <message>
        <source>transparency (%1 bytes)</source>
        <translation>Transparenz (%1 Bytes)</translation>
    </message>
    <message>
        <source>transparent colour %1</source>
        <translation>transparente Farbe %1</translation>
    </message>
    <message>
        <source>background: palette entry %1</source>
        <translation>Hintergrund: Paletteneintrag %1</translation>
    </message>
    <message>
        <source>background: %1</source>
        <translation>Hintergrund: %1</translation>
    </message>
    <message>
        <source>gamma %1</source>
        <translation>Gamma %1</translation>
    </message>
    <message>
        <source>sRGB colour space, %1 rendering intent</source>
        <translation>sRGB-Farbraum, Wiedergabeabsicht %1</translation>
    </message>
    <message>
        <source>ICC profile “%1” (%2 bytes compressed)</source>
        <translation>ICC-Profil „%1“ (%2 Bytes komprimiert)</translation>
    </message>
    <message>
        <source>significant bits %1</source>
        <translation>signifikante Bits %1</translation>
    </message>
    <message>
        <source>frame data, sequence %1</source>
        <translation>Einzelbilddaten, Folge %1</translation>
    </message>
    <message>
        <source>content credentials present (C2PA manifest store, %1 bytes)</source>
        <translation>Herkunftsnachweis vorhanden (C2PA-Manifestspeicher, %1 Bytes)</translation>
    </message>
    <message>
        <source>histogram of %1 palette entries</source>
        <translation>Histogramm von %1 Paletteneinträgen</translation>
    </message>
    <message>
        <source>suggested palette “%1”</source>
        <translation>vorgeschlagene Palette „%1“</translation>
    </message>
    <message>
        <source>image offset %1, %2 %3</source>
        <translation>Bildversatz %1, %2 %3</translation>
    </message>
    <message>
        <source>micrometres</source>
        <translation>Mikrometer</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>physical scale of the pixels</source>
        <translation>physischer Maßstab der Pixel</translation>
    </message>
    <message>
        <source>pixel calibration “%1”</source>
        <translation>Pixelkalibrierung „%1“</translation>
    </message>
    <message>
        <source>stereo pair</source>
        <translation>Stereopaar</translation>
    </message>
    <message>
        <source>digital signature</source>
        <translation>digitale Signatur</translation>
    </message>
    <message>
        <source>private chunk</source>
        <translation>privater Chunk</translation>
    </message>
    <message>
        <source>unknown chunk</source>
        <translation>unbekannter Chunk</translation>
    </message>
    <message>
        <source>unreadable text entry</source>
        <translation>unlesbarer Texteintrag</translation>
    </message>
    <message>
        <source>%1 (removing them breaks the picture&apos;s provenance)</source>
        <translation>%1 (wer sie entfernt, bricht den Herkunftsnachweis des Bildes)</translation>
    </message>
    <message>
        <source>%1 (damaged: its CRC is wrong)</source>
        <translation>%1 (beschädigt: seine Prüfsumme ist falsch)</translation>
    </message>
</context>
<context>
    <name>ChunksWindow</name>
    <message>
        <source>Chunks of “%1”</source>
        <translation>Chunks von „%1“</translation>
    </message>
    <message>
        <source>The chunks of the file, in order</source>
        <translation>Die Chunks der Datei, der Reihe nach</translation>
    </message>
    <message>
        <source>The file&apos;s structure breaks off after these chunks: %1</source>
        <translation>Der Aufbau der Datei bricht nach diesen Chunks ab: %1</translation>
    </message>
    <message>
        <source>Type</source>
        <comment>the four-letter type of a chunk</comment>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Offset</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>CRC</source>
        <translation>CRC</translation>
    </message>
    <message>
        <source>Kind</source>
        <comment>critical or ancillary, as the PNG standard names chunks</comment>
        <translation>Art</translation>
    </message>
    <message>
        <source>Copying</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Meaning</source>
        <translation>Bedeutung</translation>
    </message>
    <message>
        <source>correct</source>
        <translation>korrekt</translation>
    </message>
    <message>
        <source>wrong</source>
        <translation>falsch</translation>
    </message>
    <message>
        <source>critical</source>
        <translation>kritisch</translation>
    </message>
    <message>
        <source>ancillary</source>
        <translation>ergänzend</translation>
    </message>
    <message>
        <source>safe to copy</source>
        <translation>sicher kopierbar</translation>
    </message>
    <message>
        <source>unsafe to copy</source>
        <translation>nicht sicher kopierbar</translation>
    </message>
    <message>
        <source>&amp;Copy as Text</source>
        <translation>Als Text &amp;kopieren</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Views and edits the text metadata of PNG images.</source>
        <translation>Zeigt und bearbeitet die Text-Metadaten von PNG-Bildern.</translation>
    </message>
    <message>
        <source>PNG files to open, one window each.</source>
        <translation>Zu öffnende PNG-Dateien, jede in einem eigenen Fenster.</translation>
    </message>
    <message>
        <source>[FILE…]</source>
        <comment>FILE stands for the file names given</comment>
        <translation>[DATEI…]</translation>
    </message>
    <message>
        <source>FILE</source>
        <comment>the name of the file arguments in --help</comment>
        <translation>DATEI</translation>
    </message>
</context>
<context>
    <name>CommentList</name>
    <message>
        <source>Keyword</source>
        <comment>the keyword of a comment entry</comment>
        <translation>Schlüsselwort</translation>
    </message>
    <message>
        <source>Text</source>
        <comment>the text of a comment entry (beside its keyword), not the verb</comment>
        <translation>Text</translation>
    </message>
    <message>
        <source>Comments</source>
        <translation>Kommentare</translation>
    </message>
    <message>
        <source>Search keywords</source>
        <translation>Schlüsselwörter durchsuchen</translation>
    </message>
    <message>
        <source>Shows only the entries whose keyword contains the text typed</source>
        <translation>Zeigt nur die Einträge, deren Schlüsselwort den eingegebenen Text enthält</translation>
    </message>
    <message>
        <source>Adds an empty entry to the list and starts editing its keyword</source>
        <translation>Fügt der Liste einen leeren Eintrag hinzu und beginnt mit der Bearbeitung seines Schlüsselworts</translation>
    </message>
    <message>
        <source>Removes the selected entries from the list</source>
        <translation>Entfernt die ausgewählten Einträge aus der Liste</translation>
    </message>
    <message>
        <source>This entry cannot be saved: %1.</source>
        <translation>Dieser Eintrag kann nicht gespeichert werden: %1.</translation>
    </message>
    <message>
        <source>Templates</source>
        <translation>Vorlagen</translation>
    </message>
    <message>
        <source>Macros</source>
        <comment>a button that inserts macros such as %DATE%</comment>
        <translation>Makros</translation>
    </message>
    <message>
        <source>Comment Editor</source>
        <translation>Kommentareditor</translation>
    </message>
    <message>
        <source>The comment is no longer in the list.</source>
        <translation>Der Kommentar ist nicht mehr in der Liste.</translation>
    </message>
    <message>
        <source>&amp;Keyword:</source>
        <translation>Schlüsse&amp;lwort:</translation>
    </message>
    <message>
        <source>Search keywords and texts</source>
        <translation>Schlüsselwörter und Texte durchsuchen</translation>
    </message>
    <message>
        <source>Shows only the entries whose keyword or text contains the text typed</source>
        <translation>Zeigt nur die Einträge, deren Schlüsselwort oder Text den eingegebenen Text enthält</translation>
    </message>
    <message>
        <source>P&amp;resets</source>
        <translation>V&amp;orgaben</translation>
    </message>
    <message>
        <source>Te&amp;xt:</source>
        <translation>Te&amp;xt:</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Continue</source>
        <comment>confirms a question</comment>
        <translation>Fortfahren</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Close</source>
        <comment>closes the comment editor panel</comment>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>&amp;Copy Report</source>
        <translation>Bericht &amp;kopieren</translation>
    </message>
    <message>
        <source>Report</source>
        <comment>what a screen reader calls the text area of a report</comment>
        <translation>Bericht</translation>
    </message>
    <message>
        <source>Do you want to save the changes made to &quot;%1&quot;?</source>
        <translation>Möchten Sie die Änderungen an „%1“ speichern?</translation>
    </message>
    <message>
        <source>Your changes will be lost if you don&apos;t save them.</source>
        <translation>Ihre Änderungen gehen verloren, wenn Sie sie nicht speichern.</translation>
    </message>
    <message>
        <source>Revert &quot;%1&quot; to the saved file?</source>
        <translation>„%1“ auf die gespeicherte Datei zurücksetzen?</translation>
    </message>
    <message>
        <source>Your changes will be lost, and they cannot be undone.</source>
        <translation>Ihre Änderungen gehen verloren und können nicht rückgängig gemacht werden.</translation>
    </message>
    <message>
        <source>Open PNG Images</source>
        <translation>PNG-Bilder öffnen</translation>
    </message>
    <message>
        <source>Save PNG Image As</source>
        <translation>PNG-Bild speichern unter</translation>
    </message>
    <message>
        <source>PNG images (*.png *.PNG)</source>
        <translation>PNG-Bilder (*.png *.PNG)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Velmora %1</source>
        <translation>Velmora %1</translation>
    </message>
    <message>
        <source>Views and edits the text metadata of PNG images.

Released under the MIT licence (the LICENSE file installed with it).

Built with Qt %1 (running %2), libpng %3 and zlib %4.</source>
        <translation>Zeigt und bearbeitet die Text-Metadaten von PNG-Bildern.

Veröffentlicht unter der MIT-Lizenz (die mitinstallierte Datei LICENSE).

Erstellt mit Qt %1 (läuft mit %2), libpng %3 und zlib %4.</translation>
    </message>
    <message>
        <source>Stop the batch and quit?</source>
        <translation>Stapelverarbeitung anhalten und beenden?</translation>
    </message>
    <message>
        <source>Stop and Quit</source>
        <translation>Anhalten und beenden</translation>
    </message>
    <message>
        <source>Discard</source>
        <comment>discards a batch window&apos;s files and comments</comment>
        <translation>Verwerfen</translation>
    </message>
    <message>
        <source>%1

Quit anyway and lose these changes, or cancel and keep Velmora open?</source>
        <translation>%1

Trotzdem beenden und diese Änderungen verlieren, oder abbrechen und Velmora geöffnet lassen?</translation>
    </message>
    <message>
        <source>Quit Anyway</source>
        <translation>Trotzdem beenden</translation>
    </message>
</context>
<context>
    <name>DocumentWindow</name>
    <message>
        <source>The picture of the open PNG file</source>
        <translation>Das Bild der geöffneten PNG-Datei</translation>
    </message>
    <message>
        <source>Loading the picture</source>
        <translation>Bild wird geladen</translation>
    </message>
    <message>
        <source>The image data is damaged: %1</source>
        <translation>Die Bilddaten sind beschädigt: %1</translation>
    </message>
    <message>
        <source>The picture could not be shown: %1</source>
        <translation>Das Bild kann nicht angezeigt werden: %1</translation>
    </message>
    <message>
        <source>Picture</source>
        <comment>what a screen reader calls the message shown in place of the picture</comment>
        <translation>Bild</translation>
    </message>
    <message>
        <source>The image could not be loaded.</source>
        <translation>Das Bild konnte nicht geladen werden.</translation>
    </message>
    <message>
        <source>Size: %1 × %2 pixels</source>
        <translation>Größe: %1 × %2 Pixel</translation>
    </message>
    <message>
        <source>Bit depth: %1</source>
        <translation>Farbtiefe: %1 Bit</translation>
    </message>
    <message>
        <source>Colour format: %1</source>
        <translation>Farbformat: %1</translation>
    </message>
    <message>
        <source>Interlace: %1</source>
        <translation>Zeilensprung: %1</translation>
    </message>
    <message>
        <source>Physical size: %1 × %2 mm</source>
        <translation>Druckgröße: %1 × %2 mm</translation>
    </message>
    <message>
        <source>Physical size: %1 × %2 inches</source>
        <translation>Druckgröße: %L1 × %L2 Zoll</translation>
    </message>
    <message>
        <source>Physical size: unknown</source>
        <translation>Druckgröße: unbekannt</translation>
    </message>
    <message>
        <source>Greyscale</source>
        <translation>Graustufen</translation>
    </message>
    <message>
        <source>Greyscale with alpha</source>
        <translation>Graustufen mit Alpha</translation>
    </message>
    <message>
        <source>Palette</source>
        <comment>a PNG colour format</comment>
        <translation>Palette</translation>
    </message>
    <message>
        <source>RGB</source>
        <comment>a PNG colour format</comment>
        <translation>RGB</translation>
    </message>
    <message>
        <source>RGB with alpha</source>
        <translation>RGB mit Alpha</translation>
    </message>
    <message>
        <source>None</source>
        <comment>no interlacing (Interlace: None)</comment>
        <translation>Keiner</translation>
    </message>
    <message>
        <source>Adam7</source>
        <translation>Adam7</translation>
    </message>
    <message>
        <source>Unknown</source>
        <comment>a colour format or interlace method the PNG standard does not define</comment>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>“%1” could not be read.</source>
        <translation>„%1“ konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The image data of &quot;%1&quot; is damaged.</source>
        <translation>Die Bilddaten von „%1“ sind beschädigt.</translation>
    </message>
    <message>
        <source>%1

Saving writes the damaged image data back as it is; other programs may not show the picture.</source>
        <translation>%1

Beim Speichern werden die beschädigten Bilddaten unverändert zurückgeschrieben; andere Programme zeigen das Bild möglicherweise nicht an.</translation>
    </message>
    <message>
        <source>Save Anyway</source>
        <translation>Trotzdem speichern</translation>
    </message>
    <message>
        <source>The document &quot;%1&quot; could not be saved.</source>
        <translation>Das Dokument „%1“ konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Reason: %1 (%2 error %3)</source>
        <comment>%1 the reason, %2 where it came from (a library or the system), %3 its error number</comment>
        <translation>Grund: %1 (%2-Fehler %3)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was saved without the entries that a PNG file cannot hold.</source>
        <translation>„%1“ wurde ohne die Einträge gespeichert, die eine PNG-Datei nicht aufnehmen kann.</translation>
    </message>
    <message>
        <source>This file tells more than the picture:</source>
        <translation>Diese Datei verrät mehr als das Bild:</translation>
    </message>
    <message>
        <source>it holds a GPS position (%1)</source>
        <translation>sie enthält eine GPS-Position (%1)</translation>
    </message>
    <message>
        <source>it holds generation settings</source>
        <translation>sie enthält Generierungseinstellungen</translation>
    </message>
    <message>
        <source>it names people: %1</source>
        <translation>sie nennt Personen: %1</translation>
    </message>
    <message>
        <source>Physical size: %1 × %2 mm at 72 dpi (the file gives no resolution)</source>
        <translation>Druckgröße: %1 × %2 mm bei 72 dpi (die Datei gibt keine Auflösung an)</translation>
    </message>
    <message>
        <source>Physical size: %1 × %2 inches at 72 dpi (the file gives no resolution)</source>
        <translation>Druckgröße: %L1 × %L2 Zoll bei 72 dpi (die Datei gibt keine Auflösung an)</translation>
    </message>
    <message>
        <source>Could not be read: %1. The entries read before the damage are shown; they cannot be edited or saved.</source>
        <translation>Konnte nicht gelesen werden: %1. Angezeigt werden die Einträge vor der beschädigten Stelle; sie können weder bearbeitet noch gespeichert werden.</translation>
    </message>
    <message>
        <source>Checking the image data of &quot;%1&quot; before saving…</source>
        <translation>Die Bilddaten von „%1“ werden vor dem Speichern geprüft …</translation>
    </message>
</context>
<context>
    <name>EntryDetails</name>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Details of “%1”</source>
        <translation>Details von „%1“</translation>
    </message>
    <message>
        <source>Select an entry to see what it holds.</source>
        <translation>Wählen Sie einen Eintrag, um seinen Inhalt zu sehen.</translation>
    </message>
    <message>
        <source>Fields</source>
        <translation>Felder</translation>
    </message>
    <message>
        <source>Text</source>
        <comment>a tab showing the text of an entry</comment>
        <translation>Text</translation>
    </message>
    <message>
        <source>Formatted JSON</source>
        <translation>Formatiertes JSON</translation>
    </message>
    <message>
        <source>Fields of the selected entry</source>
        <translation>Felder des ausgewählten Eintrags</translation>
    </message>
    <message>
        <source>Text of the selected entry, formatted</source>
        <translation>Text des ausgewählten Eintrags, formatiert</translation>
    </message>
    <message>
        <source>Name</source>
        <comment>the name of a field</comment>
        <translation>Name</translation>
    </message>
    <message>
        <source>Value</source>
        <comment>the value of a field</comment>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Generation settings: %1</source>
        <translation>Generierungseinstellungen: %1</translation>
    </message>
    <message>
        <source>XMP properties</source>
        <translation>XMP-Eigenschaften</translation>
    </message>
    <message>
        <source>JSON</source>
        <translation>JSON</translation>
    </message>
    <message>
        <source>Copy &amp;Prompt</source>
        <translation>&amp;Prompt kopieren</translation>
    </message>
    <message>
        <source>Copy &amp;Value</source>
        <translation>&amp;Wert kopieren</translation>
    </message>
</context>
<context>
    <name>FieldName</name>
    <message>
        <source>Camera make</source>
        <translation>Kamerahersteller</translation>
    </message>
    <message>
        <source>Camera model</source>
        <translation>Kameramodell</translation>
    </message>
    <message>
        <source>Lens</source>
        <translation>Objektiv</translation>
    </message>
    <message>
        <source>Camera serial number</source>
        <translation>Seriennummer der Kamera</translation>
    </message>
    <message>
        <source>Date taken</source>
        <translation>Aufnahmedatum</translation>
    </message>
    <message>
        <source>Date changed</source>
        <translation>Änderungsdatum</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>Software</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Künstler</translation>
    </message>
    <message>
        <source>Camera owner</source>
        <translation>Kamerabesitzer</translation>
    </message>
    <message>
        <source>Copyright</source>
        <translation>Urheberrecht</translation>
    </message>
    <message>
        <source>Steps</source>
        <translation>Schritte</translation>
    </message>
    <message>
        <source>Sampler</source>
        <translation>Sampler</translation>
    </message>
    <message>
        <source>CFG scale</source>
        <translation>CFG-Skala</translation>
    </message>
    <message>
        <source>Seed</source>
        <translation>Seed</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Model hash</source>
        <translation>Modell-Hash</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Generator</source>
        <translation>Generator</translation>
    </message>
    <message>
        <source>Entry</source>
        <translation>Eintrag</translation>
    </message>
    <message>
        <source>Node</source>
        <translation>Knoten</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>Prompt</translation>
    </message>
    <message>
        <source>Negative prompt</source>
        <translation>Negativer Prompt</translation>
    </message>
    <message>
        <source>Scheduler</source>
        <translation>Scheduler</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>Ö&amp;ffnen …</translation>
    </message>
    <message>
        <source>Open Recen&amp;t</source>
        <translation>&amp;Zuletzt geöffnet</translation>
    </message>
    <message>
        <source>&amp;Clear Menu</source>
        <translation>Menü &amp;leeren</translation>
    </message>
    <message>
        <source>No Recent Files</source>
        <translation>Keine zuletzt geöffneten Dateien</translation>
    </message>
    <message>
        <source>&amp;Import Metadata…</source>
        <translation>Metadaten &amp;importieren …</translation>
    </message>
    <message>
        <source>&amp;Export Metadata…</source>
        <translation>Metadaten &amp;exportieren …</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message>
        <source>&amp;Close Window</source>
        <translation>Fenster s&amp;chließen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Save &amp;As…</source>
        <translation>Speichern &amp;unter …</translation>
    </message>
    <message>
        <source>&amp;Revert to Saved</source>
        <translation>Gespeicherte &amp;Version wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Undo %1</source>
        <comment>%1 is the step undone, e.g. Delete All</comment>
        <translation>&amp;Rückgängig: %1</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>Wieder&amp;herstellen</translation>
    </message>
    <message>
        <source>&amp;Redo %1</source>
        <comment>%1 is the step redone, e.g. Delete All</comment>
        <translation>Wieder&amp;herstellen: %1</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>Aus&amp;schneiden</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Einfügen</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Delete &amp;All</source>
        <translation>Alle l&amp;öschen</translation>
    </message>
    <message>
        <source>&amp;Select All</source>
        <translation>&amp;Alles auswählen</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>Su&amp;chen</translation>
    </message>
    <message>
        <source>&amp;Comments</source>
        <translation>&amp;Kommentare</translation>
    </message>
    <message>
        <source>Open Comment &amp;Editor</source>
        <translation>Kommentar&amp;editor öffnen</translation>
    </message>
    <message>
        <source>&amp;Presets</source>
        <translation>Vor&amp;gaben</translation>
    </message>
    <message>
        <source>No Presets</source>
        <translation>Keine Vorgaben</translation>
    </message>
    <message>
        <source>&amp;Templates</source>
        <translation>&amp;Vorlagen</translation>
    </message>
    <message>
        <source>No Templates</source>
        <translation>Keine Vorlagen</translation>
    </message>
    <message>
        <source>Insert &amp;Macro</source>
        <translation>&amp;Makro einfügen</translation>
    </message>
    <message>
        <source>&amp;Batch</source>
        <translation>&amp;Stapel</translation>
    </message>
    <message>
        <source>&amp;Add Files…</source>
        <translation>Da&amp;teien hinzufügen …</translation>
    </message>
    <message>
        <source>Add Fol&amp;der…</source>
        <translation>&amp;Ordner hinzufügen …</translation>
    </message>
    <message>
        <source>C&amp;lear existing metadata</source>
        <translation>Vorhandene Metadaten &amp;löschen</translation>
    </message>
    <message>
        <source>Replace entries with the same &amp;keyword</source>
        <translation>Einträge mit gleichem Schlüsselwort &amp;ersetzen</translation>
    </message>
    <message>
        <source>&amp;Run</source>
        <translation>&amp;Ausführen</translation>
    </message>
    <message>
        <source>Cancel R&amp;un</source>
        <translation>Ausführung abb&amp;rechen</translation>
    </message>
    <message>
        <source>P&amp;reset</source>
        <comment>the preset editor&apos;s menu of the preset selected</comment>
        <translation>Vor&amp;gabe</translation>
    </message>
    <message>
        <source>&amp;New Preset</source>
        <translation>&amp;Neue Vorgabe</translation>
    </message>
    <message>
        <source>Delete Preset</source>
        <translation>Vorgabe löschen</translation>
    </message>
    <message>
        <source>Restore &amp;Defaults…</source>
        <translation>&amp;Standardvorgaben wiederherstellen …</translation>
    </message>
    <message>
        <source>&amp;Template</source>
        <comment>the template editor&apos;s menu of the template selected</comment>
        <translation>&amp;Vorlage</translation>
    </message>
    <message>
        <source>&amp;New Template…</source>
        <translation>&amp;Neue Vorlage …</translation>
    </message>
    <message>
        <source>C&amp;lear all comments when applied</source>
        <translation>Beim Anwenden alle Kommentare &amp;löschen</translation>
    </message>
    <message>
        <source>O&amp;verwrite comments with the same keyword</source>
        <translation>Kommentare mit gleichem Schlüsselwort &amp;überschreiben</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>&amp;Fenster</translation>
    </message>
    <message>
        <source>New &amp;Batch Window</source>
        <translation>Neues &amp;Stapelfenster</translation>
    </message>
    <message>
        <source>&amp;Preset Editor</source>
        <translation>Vor&amp;gabeneditor</translation>
    </message>
    <message>
        <source>&amp;Template Editor</source>
        <translation>Vor&amp;lageneditor</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Velmora &amp;Home Page</source>
        <translation>Velmora-&amp;Webseite</translation>
    </message>
    <message>
        <source>&amp;About Velmora</source>
        <translation>Ü&amp;ber Velmora</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Search &amp;in Texts</source>
        <translation>Auch in &amp;Texten suchen</translation>
    </message>
    <message>
        <source>&amp;Details</source>
        <translation>De&amp;tails</translation>
    </message>
    <message>
        <source>&amp;Chunks</source>
        <translation>&amp;Chunks</translation>
    </message>
    <message>
        <source>Re&amp;move Metadata…</source>
        <translation>Metadaten entfe&amp;rnen …</translation>
    </message>
    <message>
        <source>Remove &amp;Metadata…</source>
        <translation>&amp;Metadaten entfernen …</translation>
    </message>
    <message>
        <source>Delete &amp;All Shown</source>
        <translation>Alle angezeigten l&amp;öschen</translation>
    </message>
    <message>
        <source>&amp;Add Comment</source>
        <translation>Kommentar &amp;hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Remove Comment</source>
        <translation>Kommentar ent&amp;fernen</translation>
    </message>
    <message>
        <source>R&amp;emove Files</source>
        <translation>Dateien ent&amp;fernen</translation>
    </message>
    <message>
        <source>&amp;Delete Template</source>
        <translation>Vorlage l&amp;öschen</translation>
    </message>
    <message>
        <source>&amp;Support Velmora…</source>
        <translation>Velmora &amp;unterstützen …</translation>
    </message>
</context>
<context>
    <name>MetadataDialogs</name>
    <message>
        <source>Import Metadata</source>
        <translation>Metadaten importieren</translation>
    </message>
    <message>
        <source>Import</source>
        <comment>the accepting button of the import file dialog</comment>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>Select a metadata file to import.</source>
        <translation>Wählen Sie eine Metadatendatei zum Importieren.</translation>
    </message>
    <message>
        <source>Enforce &amp;unique keywords</source>
        <translation>&amp;Eindeutige Schlüsselwörter erzwingen</translation>
    </message>
    <message>
        <source>Export Metadata</source>
        <translation>Metadaten exportieren</translation>
    </message>
    <message>
        <source>Export</source>
        <comment>the accepting button of the export file dialog</comment>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Metadata files (%1)</source>
        <translation>Metadatendateien (%1)</translation>
    </message>
    <message>
        <source>Velmora Metadata XML File (*.velmx)</source>
        <translation>Velmora-Metadaten-XML-Datei (*.velmx)</translation>
    </message>
    <message>
        <source>Delimited Text File (*.csv)</source>
        <translation>Textdatei mit Trennzeichen (*.csv)</translation>
    </message>
    <message>
        <source>Delimited Text Options</source>
        <translation>Optionen für Text mit Trennzeichen</translation>
    </message>
    <message>
        <source>&amp;Separator:</source>
        <translation>&amp;Trennzeichen:</translation>
    </message>
    <message>
        <source>The character between keyword and text: a tab, a space or one character typed</source>
        <translation>Das Zeichen zwischen Schlüsselwort und Text: ein Tabulator, ein Leerzeichen oder ein eingegebenes Zeichen</translation>
    </message>
    <message>
        <source>“%1” is not a metadata file: the name must end in %2.</source>
        <translation>„%1“ ist keine Metadatendatei: Der Name muss auf %2 enden.</translation>
    </message>
    <message>
        <source>(an entry without keyword)</source>
        <translation>(ein Eintrag ohne Schlüsselwort)</translation>
    </message>
    <message>
        <source>The metadata could not be imported from “%1”.</source>
        <translation>Die Metadaten konnten nicht aus „%1“ importiert werden.</translation>
    </message>
    <message>
        <source>The metadata could not be exported to “%1”.</source>
        <translation>Die Metadaten konnten nicht nach „%1“ exportiert werden.</translation>
    </message>
    <message>
        <source>Some entries cannot be written to “%1” as they are.</source>
        <translation>Einige Einträge können nicht unverändert in „%1“ geschrieben werden.</translation>
    </message>
    <message>
        <source>Delimited text has no escaping: a separator, a double quote or a line break in a field, blanks before it or a missing keyword do not come back when the file is read. These entries would change or be lost:
%1</source>
        <translation>Text mit Trennzeichen kennt keine Maskierung: Ein Trennzeichen, ein doppeltes Anführungszeichen oder ein Zeilenumbruch in einem Feld, Leerzeichen davor oder ein fehlendes Schlüsselwort kommen beim Lesen der Datei nicht zurück. Diese Einträge würden sich ändern oder verloren gehen:
%1</translation>
    </message>
    <message>
        <source>Export Anyway</source>
        <translation>Trotzdem exportieren</translation>
    </message>
    <message>
        <source>The batch is running; its comments cannot change now.</source>
        <translation>Der Stapel wird gerade ausgeführt; seine Kommentare können jetzt nicht geändert werden.</translation>
    </message>
    <message>
        <source>TAB CHARACTER</source>
        <comment>a separator offered: the tab</comment>
        <translation>TABULATOR</translation>
    </message>
    <message>
        <source>SPACE CHARACTER</source>
        <comment>a separator offered: the space</comment>
        <translation>LEERZEICHEN</translation>
    </message>
</context>
<context>
    <name>PresetEditor</name>
    <message>
        <source>Preset Editor</source>
        <translation>Vorgabeneditor</translation>
    </message>
    <message>
        <source>Presets</source>
        <translation>Vorgaben</translation>
    </message>
    <message>
        <source>&amp;Value:</source>
        <translation>&amp;Wert:</translation>
    </message>
    <message>
        <source>&amp;Display text:</source>
        <translation>&amp;Anzeigetext:</translation>
    </message>
    <message>
        <source>Preset keyword</source>
        <translation>Schlüsselwort der Vorgabe</translation>
    </message>
    <message>
        <source>Preset value</source>
        <translation>Wert der Vorgabe</translation>
    </message>
    <message>
        <source>Preset display text</source>
        <translation>Anzeigetext der Vorgabe</translation>
    </message>
    <message>
        <source>The presets could not be saved.</source>
        <translation>Die Vorgaben konnten nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Restore the default presets?</source>
        <translation>Die Standardvorgaben wiederherstellen?</translation>
    </message>
    <message>
        <source>Your own presets will be lost.</source>
        <translation>Ihre eigenen Vorgaben gehen verloren.</translation>
    </message>
</context>
<context>
    <name>Reason</name>
    <message>
        <source>cannot write the file: %1</source>
        <translation>die Datei kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>not enough memory to finish writing the file (it holds either the old or the new version)</source>
        <translation>nicht genug Speicher, um das Schreiben der Datei abzuschließen (sie enthält entweder die alte oder die neue Fassung)</translation>
    </message>
    <message>
        <source>not processed (the run was cancelled)</source>
        <translation>nicht bearbeitet (der Lauf wurde abgebrochen)</translation>
    </message>
    <message>
        <source>not enough memory to process the file</source>
        <translation>nicht genug Speicher, um die Datei zu bearbeiten</translation>
    </message>
    <message>
        <source>the file could not be processed (%1)</source>
        <translation>die Datei konnte nicht bearbeitet werden (%1)</translation>
    </message>
    <message>
        <source>the file could not be processed</source>
        <translation>die Datei konnte nicht bearbeitet werden</translation>
    </message>
    <message>
        <source>a row of the image data has an unknown filter type (%1)</source>
        <translation>eine Zeile der Bilddaten hat einen unbekannten Filtertyp (%1)</translation>
    </message>
    <message>
        <source>the image header is not valid</source>
        <translation>der Bildkopf ist ungültig</translation>
    </message>
    <message>
        <source>the image data is damaged (it does not decompress)</source>
        <translation>die Bilddaten sind beschädigt (sie lassen sich nicht entpacken)</translation>
    </message>
    <message>
        <source>the image data ends too early (not enough image data)</source>
        <translation>die Bilddaten enden zu früh (zu wenig Bilddaten)</translation>
    </message>
    <message>
        <source>the file is truncated (it ends before the end chunk)</source>
        <translation>die Datei ist abgeschnitten (sie endet vor dem End-Chunk)</translation>
    </message>
    <message>
        <source>a chunk length is larger than the PNG standard allows</source>
        <translation>eine Chunk-Länge ist größer, als der PNG-Standard erlaubt</translation>
    </message>
    <message>
        <source>a chunk type is malformed at byte %1</source>
        <translation>ein Chunk-Typ ist bei Byte %1 fehlerhaft</translation>
    </message>
    <message>
        <source>the file is truncated (the %1 chunk is cut off)</source>
        <translation>die Datei ist abgeschnitten (der %1-Chunk ist abgeschnitten)</translation>
    </message>
    <message>
        <source>the first chunk is not the image header</source>
        <translation>der erste Chunk ist nicht der Bildkopf</translation>
    </message>
    <message>
        <source>the image data chunks are not consecutive</source>
        <translation>die Bilddaten-Chunks folgen nicht aufeinander</translation>
    </message>
    <message>
        <source>the file holds no image data</source>
        <translation>die Datei enthält keine Bilddaten</translation>
    </message>
    <message>
        <source>not a PNG file (the PNG signature is missing)</source>
        <translation>keine PNG-Datei (die PNG-Signatur fehlt)</translation>
    </message>
    <message>
        <source>the PNG library could not be set up</source>
        <translation>die PNG-Bibliothek konnte nicht eingerichtet werden</translation>
    </message>
    <message>
        <source>the image has no pixels</source>
        <translation>das Bild hat keine Pixel</translation>
    </message>
    <message>
        <source>the image is too large to open in memory</source>
        <translation>das Bild ist zu groß, um es im Speicher zu öffnen</translation>
    </message>
    <message>
        <source>not enough memory for the image</source>
        <translation>nicht genug Speicher für das Bild</translation>
    </message>
    <message>
        <source>cannot read the file: %1</source>
        <translation>die Datei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>the file holds too many chunks (%1)</source>
        <translation>die Datei enthält zu viele Chunks (%1)</translation>
    </message>
    <message>
        <source>the %1 chunk is damaged (CRC error)</source>
        <translation>der %1-Chunk ist beschädigt (Prüfsummenfehler)</translation>
    </message>
    <message>
        <source>the file is truncated</source>
        <translation>die Datei ist abgeschnitten</translation>
    </message>
    <message>
        <source>the text entries are too large (more than %1 MiB in all)</source>
        <translation>die Texteinträge sind zu groß (insgesamt mehr als %1 MiB)</translation>
    </message>
    <message>
        <source>the image was not read from a file</source>
        <translation>das Bild wurde nicht aus einer Datei gelesen</translation>
    </message>
    <message>
        <source>not enough memory to decode the image</source>
        <translation>nicht genug Speicher, um das Bild zu dekodieren</translation>
    </message>
    <message>
        <source>the image does not match its file</source>
        <translation>das Bild passt nicht zu seiner Datei</translation>
    </message>
    <message>
        <source>the file is too large (%1 bytes)</source>
        <translation>die Datei ist zu groß (%1 Bytes)</translation>
    </message>
    <message>
        <source>not enough memory to read the file</source>
        <translation>nicht genug Speicher, um die Datei zu lesen</translation>
    </message>
    <message>
        <source>there is no image to write (the file was not read)</source>
        <translation>es gibt kein Bild zum Schreiben (die Datei wurde nicht gelesen)</translation>
    </message>
    <message>
        <source>there is no image data to write</source>
        <translation>es gibt keine Bilddaten zum Schreiben</translation>
    </message>
    <message>
        <source>the row size does not match the image header</source>
        <translation>die Zeilengröße passt nicht zum Bildkopf</translation>
    </message>
    <message>
        <source>the image rows do not match the image header</source>
        <translation>die Bildzeilen passen nicht zum Bildkopf</translation>
    </message>
    <message>
        <source>the palette is missing or too long</source>
        <translation>die Palette fehlt oder ist zu lang</translation>
    </message>
    <message>
        <source>the transparency table is longer than the palette</source>
        <translation>die Transparenztabelle ist länger als die Palette</translation>
    </message>
    <message>
        <source>the histogram does not match the palette</source>
        <translation>das Histogramm passt nicht zur Palette</translation>
    </message>
    <message>
        <source>the colour profile is too large</source>
        <translation>das Farbprofil ist zu groß</translation>
    </message>
    <message>
        <source>a carried-over chunk is too large</source>
        <translation>ein übernommener Chunk ist zu groß</translation>
    </message>
    <message>
        <source>the image must be decoded before its data can be encoded again</source>
        <translation>das Bild muss dekodiert werden, bevor seine Daten neu kodiert werden können</translation>
    </message>
    <message>
        <source>cannot write the entry: %1</source>
        <translation>der Eintrag kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>not enough memory to write the file</source>
        <translation>nicht genug Speicher, um die Datei zu schreiben</translation>
    </message>
    <message>
        <source>cannot open the file: %1</source>
        <translation>die Datei kann nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>the file does not exist</source>
        <translation>die Datei existiert nicht</translation>
    </message>
    <message>
        <source>it is a folder, not a file</source>
        <translation>es ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>the file is too large (more than %1 bytes)</source>
        <translation>die Datei ist zu groß (mehr als %1 Bytes)</translation>
    </message>
    <message>
        <source>the folder %1 does not exist</source>
        <translation>der Ordner %1 existiert nicht</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 ist kein Ordner</translation>
    </message>
    <message>
        <source>no file name was given</source>
        <translation>es wurde kein Dateiname angegeben</translation>
    </message>
    <message>
        <source>%1 is a folder</source>
        <translation>%1 ist ein Ordner</translation>
    </message>
    <message>
        <source>the folder %1 is read-only</source>
        <translation>der Ordner %1 ist schreibgeschützt</translation>
    </message>
    <message>
        <source>the link leads to no file (%1)</source>
        <translation>die Verknüpfung führt zu keiner Datei (%1)</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>die Datei ist schreibgeschützt</translation>
    </message>
    <message>
        <source>the file read is shorter than it was</source>
        <translation>die gelesene Datei ist kürzer als zuvor</translation>
    </message>
    <message>
        <source>the file read cannot be read again</source>
        <translation>die gelesene Datei kann nicht erneut gelesen werden</translation>
    </message>
    <message>
        <source>the permissions could not be kept</source>
        <translation>die Zugriffsrechte konnten nicht beibehalten werden</translation>
    </message>
    <message>
        <source>flushing the file to the disk failed</source>
        <translation>das Schreiben der Datei auf die Platte ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>writing the file failed</source>
        <translation>das Schreiben der Datei ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>replacing the file failed</source>
        <translation>das Ersetzen der Datei ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>flushing the folder to the disk failed: %1</source>
        <translation>das Schreiben des Ordners auf die Platte ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>the old version is kept as %1</source>
        <translation>die alte Fassung bleibt als %1 erhalten</translation>
    </message>
    <message>
        <source>the file holds the new version, which a power cut may undo</source>
        <translation>die Datei enthält die neue Fassung, die ein Stromausfall rückgängig machen kann</translation>
    </message>
    <message>
        <source>the file cannot be read again: %1</source>
        <translation>die Datei kann nicht erneut gelesen werden: %1</translation>
    </message>
    <message>
        <source>the file was changed by another program since it was opened (open it again)</source>
        <translation>die Datei wurde seit dem Öffnen von einem anderen Programm geändert (öffnen Sie sie erneut)</translation>
    </message>
    <message>
        <source>the file is shorter than it was</source>
        <translation>die Datei ist kürzer als zuvor</translation>
    </message>
    <message>
        <source>the keyword %1 has characters that a PNG keyword cannot hold (only Latin-1 letters)</source>
        <translation>das Schlüsselwort %1 enthält Zeichen, die ein PNG-Schlüsselwort nicht aufnehmen kann (nur Latin-1-Buchstaben)</translation>
    </message>
    <message>
        <source>the keyword %1 has no printable character</source>
        <translation>das Schlüsselwort %1 hat kein druckbares Zeichen</translation>
    </message>
    <message>
        <source>the text of %1 holds a NUL character, which PNG text cannot hold</source>
        <translation>der Text von %1 enthält ein NUL-Zeichen, das PNG-Text nicht aufnehmen kann</translation>
    </message>
    <message>
        <source>an entry to set has no keyword</source>
        <translation>ein zu setzender Eintrag hat kein Schlüsselwort</translation>
    </message>
    <message>
        <source>the image cannot be decoded: %1</source>
        <translation>das Bild kann nicht dekodiert werden: %1</translation>
    </message>
    <message>
        <source>“%1” is not valid UTF-8 text.</source>
        <translation>„%1“ ist kein gültiger UTF-8-Text.</translation>
    </message>
    <message>
        <source>Can&apos;t read “%1”: %2</source>
        <translation>„%1“ kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Can&apos;t write “%1”: %2</source>
        <translation>„%1“ kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>document type declarations are not accepted</source>
        <translation>Dokumenttyp-Deklarationen werden nicht angenommen</translation>
    </message>
    <message>
        <source>elements are nested more than %1 deep</source>
        <translation>Elemente sind tiefer als %1 Ebenen verschachtelt</translation>
    </message>
    <message>
        <source>entity references are not accepted</source>
        <translation>Entitätsverweise werden nicht angenommen</translation>
    </message>
    <message>
        <source>Unreadable metadata XML (line %1, column %2): %3</source>
        <translation>Unlesbares Metadaten-XML (Zeile %1, Spalte %2): %3</translation>
    </message>
    <message>
        <source>The XML document has no root element.</source>
        <translation>Das XML-Dokument hat kein Wurzelelement.</translation>
    </message>
    <message>
        <source>The comment “%1” holds control characters that an XML file cannot carry.</source>
        <translation>Der Kommentar „%1“ enthält Steuerzeichen, die eine XML-Datei nicht aufnehmen kann.</translation>
    </message>
    <message>
        <source>Could not build the presets document</source>
        <translation>Das Dokument der Vorgaben konnte nicht erstellt werden</translation>
    </message>
    <message>
        <source>Could not create the folder %1</source>
        <translation>Der Ordner %1 konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>not an Exif block (no valid TIFF header or first IFD)</source>
        <translation>kein Exif-Block (kein gültiger TIFF-Kopf oder erstes IFD)</translation>
    </message>
    <message>
        <source>not a readable XMP packet (line %1): %2</source>
        <translation>kein lesbares XMP-Paket (Zeile %1): %2</translation>
    </message>
    <message>
        <source>The folder %1 is read-only.</source>
        <translation>Der Ordner %1 ist schreibgeschützt.</translation>
    </message>
    <message>
        <source>No template file given.</source>
        <translation>Keine Vorlagendatei angegeben.</translation>
    </message>
    <message>
        <source>“%1” cannot be used as a file name.</source>
        <translation>„%1“ kann nicht als Dateiname verwendet werden.</translation>
    </message>
    <message>
        <source>A file named “%1” exists already in %2.</source>
        <translation>In %2 gibt es bereits eine Datei namens „%1“.</translation>
    </message>
    <message>
        <source>“%1” could not be renamed: %2</source>
        <translation>„%1“ konnte nicht umbenannt werden: %2</translation>
    </message>
    <message>
        <source>“%1” is a folder, not a template file.</source>
        <translation>„%1“ ist ein Ordner, keine Vorlagendatei.</translation>
    </message>
    <message>
        <source>“%1” could not be removed: %2</source>
        <translation>„%1“ konnte nicht entfernt werden: %2</translation>
    </message>
    <message>
        <source>The folder %1 could not be created.</source>
        <translation>Der Ordner %1 konnte nicht angelegt werden.</translation>
    </message>
</context>
<context>
    <name>RemoveMetadata</name>
    <message>
        <source>Remove Metadata from “%1”</source>
        <translation>Metadaten aus „%1“ entfernen</translation>
    </message>
    <message>
        <source>The checked items leave the document in one step you can undo; Save writes the file without them. The picture stays as it is.</source>
        <translation>Die markierten Elemente werden in einem Schritt aus dem Dokument entfernt, den Sie rückgängig machen können; Speichern schreibt die Datei ohne sie. Das Bild bleibt unverändert.</translation>
    </message>
    <message>
        <source>What the file carries</source>
        <translation>Was die Datei enthält</translation>
    </message>
    <message>
        <source>Item</source>
        <translation>Element</translation>
    </message>
    <message>
        <source>Size</source>
        <comment>how many bytes an item takes</comment>
        <translation>Größe</translation>
    </message>
    <message>
        <source>What it gives away</source>
        <translation>Was es verrät</translation>
    </message>
    <message>
        <source>%1 “%2”</source>
        <translation>%1 „%2“</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Content credentials (caBX) prove where the picture comes from: removing them breaks its provenance.</source>
        <translation>Inhaltsnachweise (caBX) belegen, woher das Bild stammt: Wer sie entfernt, unterbricht seinen Herkunftsnachweis.</translation>
    </message>
    <message>
        <source>“%1” carries no metadata to remove.</source>
        <translation>„%1“ enthält keine Metadaten, die entfernt werden könnten.</translation>
    </message>
    <message>
        <source>Remove Metadata from Every File</source>
        <translation>Metadaten aus jeder Datei entfernen</translation>
    </message>
    <message>
        <source>The checked kinds of metadata are removed from every file of the batch, instead of writing the comments. The picture, its colour and its animation stay byte for byte; a file with nothing to remove is left as it was.</source>
        <translation>Die markierten Arten von Metadaten werden aus jeder Datei des Stapels entfernt, statt die Kommentare zu schreiben. Das Bild, seine Farben und seine Animation bleiben Byte für Byte erhalten; eine Datei ohne zu entfernende Metadaten bleibt unverändert.</translation>
    </message>
    <message>
        <source>&amp;Text entries (tEXt, zTXt, iTXt)</source>
        <translation>&amp;Texteinträge (tEXt, zTXt, iTXt)</translation>
    </message>
    <message>
        <source>&amp;XMP packet (creators, places, editing history)</source>
        <translation>&amp;XMP-Paket (Urheber, Orte, Bearbeitungsverlauf)</translation>
    </message>
    <message>
        <source>&amp;Exif (camera, dates, GPS position)</source>
        <translation>&amp;Exif (Kamera, Datumsangaben, GPS-Position)</translation>
    </message>
    <message>
        <source>&amp;Modification time (tIME)</source>
        <translation>Änderungs&amp;zeit (tIME)</translation>
    </message>
    <message>
        <source>&amp;Private and unknown chunks</source>
        <translation>&amp;Private und unbekannte Chunks</translation>
    </message>
    <message>
        <source>Content &amp;credentials (caBX)</source>
        <translation>Inhalts&amp;nachweise (caBX)</translation>
    </message>
</context>
<context>
    <name>StartWindow</name>
    <message>
        <source>Velmora</source>
        <translation>Velmora</translation>
    </message>
    <message>
        <source>Open a PNG file to view and edit its text entries.</source>
        <translation>Öffnen Sie eine PNG-Datei, um ihre Texteinträge anzuzeigen und zu bearbeiten.</translation>
    </message>
    <message>
        <source>&amp;Recent files:</source>
        <translation>&amp;Zuletzt geöffnet:</translation>
    </message>
    <message>
        <source>Files opened before; Return opens the one selected</source>
        <translation>Zuvor geöffnete Dateien; die Eingabetaste öffnet die ausgewählte</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>&amp;Öffnen …</translation>
    </message>
    <message>
        <source>New &amp;Batch Window</source>
        <translation>Neues &amp;Stapelfenster</translation>
    </message>
    <message>
        <source>&amp;Preset Editor</source>
        <translation>&amp;Vorgabeneditor</translation>
    </message>
    <message>
        <source>&amp;Template Editor</source>
        <translation>Vor&amp;lageneditor</translation>
    </message>
</context>
<context>
    <name>TemplateEditor</name>
    <message>
        <source>Template Editor</source>
        <translation>Vorlageneditor</translation>
    </message>
    <message>
        <source>Templates</source>
        <translation>Vorlagen</translation>
    </message>
    <message>
        <source>Comments of the template</source>
        <translation>Kommentare der Vorlage</translation>
    </message>
    <message>
        <source>Templates and their comments</source>
        <translation>Vorlagen und ihre Kommentare</translation>
    </message>
    <message>
        <source>New Template</source>
        <translation>Neue Vorlage</translation>
    </message>
    <message>
        <source>&amp;Name of the new template:</source>
        <translation>&amp;Name der neuen Vorlage:</translation>
    </message>
    <message>
        <source>The template &quot;%1&quot; could not be saved.</source>
        <translation>Die Vorlage „%1“ konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>The template &quot;%1&quot; could not be renamed.</source>
        <translation>Die Vorlage „%1“ konnte nicht umbenannt werden.</translation>
    </message>
    <message>
        <source>The template &quot;%1&quot; could not be deleted.</source>
        <translation>Die Vorlage „%1“ konnte nicht gelöscht werden.</translation>
    </message>
    <message>
        <source>A template name cannot contain &quot;/&quot; or &quot;\&quot;, and cannot be &quot;.&quot; or &quot;..&quot;.</source>
        <translation>Ein Vorlagenname darf weder „/“ noch „\“ enthalten und nicht „.“ oder „..“ lauten.</translation>
    </message>
    <message>
        <source>A template with this name exists already. Please choose another name.</source>
        <translation>Eine Vorlage mit diesem Namen gibt es bereits. Bitte wählen Sie einen anderen Namen.</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this template?</source>
        <translation>Möchten Sie diese Vorlage wirklich löschen?</translation>
    </message>
    <message>
        <source>A template name cannot hold a NUL character.</source>
        <translation>Ein Vorlagenname darf kein NUL-Zeichen enthalten.</translation>
    </message>
    <message>
        <source>This name is too long for a file name. Please choose a shorter one.</source>
        <translation>Dieser Name ist für einen Dateinamen zu lang. Bitte wählen Sie einen kürzeren.</translation>
    </message>
    <message>
        <source>The templates folder holds a file or folder of this name that is no template. Please choose another name.</source>
        <translation>Der Vorlagenordner enthält eine Datei oder einen Ordner dieses Namens, der keine Vorlage ist. Bitte wählen Sie einen anderen Namen.</translation>
    </message>
</context>
<context>
    <name>UndoStep</name>
    <message>
        <source>Add Comment</source>
        <translation>Kommentar hinzufügen</translation>
    </message>
    <message>
        <source>Add Comments</source>
        <translation>Kommentare hinzufügen</translation>
    </message>
    <message>
        <source>Remove Comments</source>
        <translation>Kommentare entfernen</translation>
    </message>
    <message>
        <source>Delete</source>
        <comment>an undo step (Undo Delete)</comment>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Delete All</source>
        <translation>Alle löschen</translation>
    </message>
    <message>
        <source>Cut</source>
        <comment>an undo step (Undo Cut)</comment>
        <translation>Ausschneiden</translation>
    </message>
    <message>
        <source>Paste</source>
        <comment>an undo step (Undo Paste)</comment>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Drop</source>
        <comment>an undo step: entries dropped by drag and drop</comment>
        <translation>Ablegen</translation>
    </message>
    <message>
        <source>Move Comments</source>
        <translation>Kommentare verschieben</translation>
    </message>
    <message>
        <source>Edit Keyword</source>
        <translation>Schlüsselwort bearbeiten</translation>
    </message>
    <message>
        <source>Edit Text</source>
        <translation>Text bearbeiten</translation>
    </message>
    <message>
        <source>Import</source>
        <comment>an undo step (Undo Import)</comment>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>Add Preset</source>
        <translation>Vorgabe hinzufügen</translation>
    </message>
    <message>
        <source>Apply Preset</source>
        <translation>Vorgabe anwenden</translation>
    </message>
    <message>
        <source>Apply Template</source>
        <translation>Vorlage anwenden</translation>
    </message>
    <message>
        <source>Remove Comments Without Keyword</source>
        <translation>Kommentare ohne Schlüsselwort entfernen</translation>
    </message>
    <message>
        <source>New Preset</source>
        <translation>Neue Vorgabe</translation>
    </message>
    <message>
        <source>Edit Value</source>
        <translation>Wert bearbeiten</translation>
    </message>
    <message>
        <source>Edit Display Text</source>
        <translation>Anzeigetext bearbeiten</translation>
    </message>
    <message>
        <source>Restore Defaults</source>
        <translation>Standardvorgaben wiederherstellen</translation>
    </message>
    <message>
        <source>Clear All When Applied</source>
        <translation>Beim Anwenden alle löschen</translation>
    </message>
    <message>
        <source>Overwrite Duplicates</source>
        <translation>Duplikate überschreiben</translation>
    </message>
    <message>
        <source>Remove Metadata</source>
        <translation>Metadaten entfernen</translation>
    </message>
    <message>
        <source>Delete All Shown</source>
        <translation>Alle angezeigten löschen</translation>
    </message>
</context>
</TS>
