<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>HelpPane</name>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Help page not found: %1</source>
        <translation>Hilfeseite nicht gefunden: %1</translation>
    </message>
</context>
<context>
    <name>Layout</name>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>&lt;--  Back</source>
        <translation>&lt;--  Zurück</translation>
    </message>
    <message>
        <source>Next  --&gt;</source>
        <translation>Weiter  --&gt;</translation>
    </message>
    <message>
        <source>Step 1: Detection of the printer</source>
        <translation>Schritt 1: Druckererkennung</translation>
    </message>
    <message>
        <source>Manual Detection</source>
        <translation>Manuell suchen</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Serial Port</source>
        <translation>Serielle Schnittstelle</translation>
    </message>
    <message>
        <source>COM 1</source>
        <translation>COM 1</translation>
    </message>
    <message>
        <source>COM 2</source>
        <translation>COM 2</translation>
    </message>
    <message>
        <source>COM 3</source>
        <translation>COM 3</translation>
    </message>
    <message>
        <source>COM 4</source>
        <translation>COM 4</translation>
    </message>
    <message>
        <source>COM 5</source>
        <translation>COM 5</translation>
    </message>
    <message>
        <source>COM 6</source>
        <translation>COM 6</translation>
    </message>
    <message>
        <source>Baudrate:</source>
        <translation>Baudrate:</translation>
    </message>
    <message>
        <source>Handshake:</source>
        <translation>Handshake:</translation>
    </message>
    <message>
        <source>Detect Printer</source>
        <translation>Drucker erkennen</translation>
    </message>
    <message>
        <source>Step 2: Opto-sensor selection</source>
        <translation>Schritt 2: Auswahl des Optosensors</translation>
    </message>
    <message>
        <source>Optosensor selection</source>
        <translation>Auswahl des Optosensors</translation>
    </message>
    <message>
        <source>Printer opto-sensor</source>
        <translation>Drucker-Optosensor</translation>
    </message>
    <message>
        <source>Near End Of Paper opto-sensor</source>
        <translation>Papierende-Vorwarnsensor</translation>
    </message>
    <message>
        <source>Action selection</source>
        <translation>Auswahl der Aktion</translation>
    </message>
    <message>
        <source>Monitor the opto-sensor</source>
        <translation>Optosensor überwachen</translation>
    </message>
    <message>
        <source>Calibrate the opto-sensor</source>
        <translation>Optosensor kalibrieren</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Step 3: Calibration of the opto-sensor</source>
        <translation>Schritt 3: Kalibrierung des Optosensors</translation>
    </message>
    <message>
        <source>Reflective</source>
        <translation>Reflexion</translation>
    </message>
    <message>
        <source>Transmitive</source>
        <translation>Durchlicht</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Kalibrieren</translation>
    </message>
    <message>
        <source>Monitoring the opto-sensors</source>
        <translation>Überwachung der Optosensoren</translation>
    </message>
    <message>
        <source>Check Parameters</source>
        <translation>Parameter prüfen</translation>
    </message>
    <message>
        <source>Printer opto parameters</source>
        <translation>Optosensor-Parameter des Druckers</translation>
    </message>
    <message>
        <source>Opto Type</source>
        <translation>Optosensor-Typ</translation>
    </message>
    <message>
        <source>Black Level</source>
        <translation>Schwarzpegel</translation>
    </message>
    <message>
        <source>Mark Level</source>
        <translation>Markenpegel</translation>
    </message>
    <message>
        <source>Paper Level</source>
        <translation>Papierpegel</translation>
    </message>
    <message>
        <source>Paper Threshold</source>
        <translation>Papier-Schwellwert</translation>
    </message>
    <message>
        <source>Mark Threshold</source>
        <translation>Marken-Schwellwert</translation>
    </message>
    <message>
        <source>Close Help</source>
        <translation>Hilfe schließen</translation>
    </message>
</context>
<context>
    <name>Link</name>
    <message>
        <source>The serial port %1 cannot be used: %2.<byte value="xd"/>
Check the cable, the adapter and that no other program holds the port.</source>
        <translation>Die serielle Schnittstelle %1 kann nicht benutzt werden: %2.<byte value="xd"/>
Prüfen Sie das Kabel, den Adapter und dass kein anderes Programm die Schnittstelle belegt.</translation>
    </message>
</context>
<context>
    <name>MSComm</name>
    <message>
        <source>invalid line settings &quot;%1&quot;</source>
        <translation>ungültige Leitungseinstellungen „%1“</translation>
    </message>
    <message>
        <source>%1 is still being opened</source>
        <translation>%1 wird noch geöffnet</translation>
    </message>
    <message>
        <source>%1 is not there</source>
        <translation>%1 ist nicht vorhanden</translation>
    </message>
    <message>
        <source>%1 is not connected to any device</source>
        <translation>%1 ist mit keinem Gerät verbunden</translation>
    </message>
</context>
<context>
    <name>MonitorFrm</name>
    <message>
        <source>Monitoring printer opto-sensor...</source>
        <translation>Überwachung des Drucker-Optosensors...</translation>
    </message>
    <message>
        <source>Monitoring Near End Of Paper opto-sensor...</source>
        <translation>Überwachung des Optosensors Papierende-Vorwarnung...</translation>
    </message>
    <message>
        <source>The printer does not answer at 57600 bauds.</source>
        <translation>Der Drucker antwortet nicht bei 57600 Baud.</translation>
    </message>
</context>
<context>
    <name>PortAccess</name>
    <message>
        <source>%1.<byte value="xd"/>
This user may not use %2. On Debian and similar systems the serial ports belong to the group &quot;dialout&quot;: add the user to it (sudo adduser %3 dialout), then log out and log in again</source>
        <translation>%1.<byte value="xd"/>
Dieser Benutzer darf %2 nicht benutzen. Unter Debian und ähnlichen Systemen gehören die seriellen Schnittstellen der Gruppe „dialout“: Nehmen Sie den Benutzer darin auf (sudo adduser %3 dialout), dann ab- und wieder anmelden</translation>
    </message>
</context>
<context>
    <name>PortSelection</name>
    <message>
        <source>Xon-Xoff</source>
        <translation>Xon-Xoff</translation>
    </message>
    <message>
        <source>DSR/DTR Mode</source>
        <translation>DSR/DTR-Modus</translation>
    </message>
    <message>
        <source>No printer found yet, please start detection.</source>
        <translation>Noch kein Drucker, bitte die Erkennung starten.</translation>
    </message>
    <message>
        <source>You must select a serial port</source>
        <translation>Bitte eine serielle Schnittstelle wählen</translation>
    </message>
    <message>
        <source>This port does not exist</source>
        <translation>Diese Schnittstelle existiert nicht</translation>
    </message>
    <message>
        <source>%1 found on COM%2 at %3 bauds</source>
        <translation>%1 gefunden an COM%2 mit %3 Baud</translation>
    </message>
    <message>
        <source>The previous firmware upgrade has not been completed <byte value="xd"/>
successfully, or the firmware has been corrupted.<byte value="xd"/>
<byte value="xd"/>
Please, flash the printer firmware.</source>
        <translation>Die letzte Aktualisierung der Firmware wurde nicht <byte value="xd"/>
erfolgreich abgeschlossen, oder die Firmware ist beschädigt.<byte value="xd"/>
<byte value="xd"/>
Bitte die Firmware des Druckers neu flashen.</translation>
    </message>
</context>
<context>
    <name>Printer::Detector</name>
    <message>
        <source>Trying to wake-up the printer</source>
        <translation>Drucker wird aufgeweckt</translation>
    </message>
    <message>
        <source>Attempting to contact printer on COM %1 at %2 bauds.</source>
        <translation>Suche Drucker an COM %1 mit %2 Baud.</translation>
    </message>
    <message>
        <source>No printer found</source>
        <translation>Kein Drucker gefunden</translation>
    </message>
    <message>
        <source>Attempting to contact printer in BIOS mode on COM%1</source>
        <translation>Suche Drucker im BIOS-Modus an COM%1</translation>
    </message>
    <message>
        <source>No printer found on COM %1 at %2 bauds</source>
        <translation>Kein Drucker gefunden an COM %1 mit %2 Baud</translation>
    </message>
    <message>
        <source>%1 found on COM %2 at %3 bauds</source>
        <translation>%1 gefunden: COM %2, %3 Baud</translation>
    </message>
</context>
<context>
    <name>Printer::Sampler</name>
    <message>
        <source>Waiting for %1 to come back...</source>
        <translation>Warten, bis %1 zurück ist...</translation>
    </message>
    <message>
        <source>%1 is back: monitoring goes on.</source>
        <translation>%1 ist zurück: Überwachung geht weiter.</translation>
    </message>
    <message>
        <source>the printer&apos;s speed could not be switched</source>
        <translation>die Geschwindigkeit des Druckers ließ sich nicht umschalten</translation>
    </message>
    <message>
        <source>the printer cannot be written to</source>
        <translation>an den Drucker kann nicht gesendet werden</translation>
    </message>
    <message>
        <source>Waiting for the printer on %1 to answer...</source>
        <translation>Warten, bis der Drucker an %1 antwortet...</translation>
    </message>
    <message>
        <source>The printer on %1 does not answer at 57600 bauds.</source>
        <translation>Der Drucker an %1 antwortet nicht mit 57600 Baud.</translation>
    </message>
    <message>
        <source>the printer&apos;s speed could not be put back</source>
        <translation>die Baudrate des Druckers konnte nicht zurückgestellt werden</translation>
    </message>
</context>
<context>
    <name>QNativeSocketEngine</name>
    <message>
        <source>Connection refused</source>
        <translation>Verbindung verweigert</translation>
    </message>
    <message>
        <source>Host unreachable</source>
        <translation>Der Zielrechner kann nicht erreicht werden</translation>
    </message>
    <message>
        <source>Network unreachable</source>
        <translation>Das Netzwerk ist nicht erreichbar</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>the command could not be written to the port</source>
        <translation>der Befehl konnte nicht an die Schnittstelle gesendet werden</translation>
    </message>
    <message>
        <source>%1 is too large to be a port entry</source>
        <translation>%1 ist zu groß für einen Port-Eintrag</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 holds no address of the form rfc2217://HOST:PORT on its first line</source>
        <translation>%1 enthält in der ersten Zeile keine Adresse der Form rfc2217://HOST:PORT</translation>
    </message>
    <message>
        <source>%1 leads to %2, which is no serial device</source>
        <translation>%1 verweist auf %2, das keine serielle Schnittstelle ist</translation>
    </message>
    <message>
        <source>%1 is for a port the wizard does not have: only COM%2 to COM%3 are ports</source>
        <translation>%1 gilt für einen Port, den der Assistent nicht kennt: Ports sind nur COM%2 bis COM%3</translation>
    </message>
    <message>
        <source>%1 is for a port the wizard does not have: only COM1 to COM%2 are ports</source>
        <translation>%1 gilt für einen Port, den der Assistent nicht kennt: Ports sind nur COM1 bis COM%2</translation>
    </message>
    <message>
        <source>%1 names neither a device (COM12) nor an address (rfc2217://HOST:PORT) on its first line</source>
        <translation>%1 nennt in der ersten Zeile weder ein Gerät (COM12) noch eine Adresse (rfc2217://HOST:PORT)</translation>
    </message>
</context>
<context>
    <name>Record</name>
    <message>
        <source>Time base: %1ms</source>
        <translation>Zeitbasis: %1 ms</translation>
    </message>
    <message>
        <source>DSR/DTR Mode</source>
        <translation>DSR/DTR-Modus</translation>
    </message>
    <message>
        <source>Xon-Xoff</source>
        <translation>Xon-Xoff</translation>
    </message>
    <message>
        <source>Printer: %1</source>
        <translation>Drucker: %1</translation>
    </message>
    <message>
        <source>(not asked: the link was given)</source>
        <translation>(nicht abgefragt: die Verbindung war vorgegeben)</translation>
    </message>
    <message>
        <source>Sensor: Near End Of Paper opto-sensor</source>
        <translation>Sensor: Optosensor Papierende-Vorwarnung</translation>
    </message>
    <message>
        <source>Sensor: printer opto-sensor</source>
        <translation>Sensor: Drucker-Optosensor</translation>
    </message>
    <message>
        <source>Sensor: printer opto-sensor, transmissive</source>
        <translation>Sensor: Drucker-Optosensor, Durchlicht</translation>
    </message>
    <message>
        <source>Sensor: printer opto-sensor, reflective</source>
        <translation>Sensor: Drucker-Optosensor, Reflexion</translation>
    </message>
    <message>
        <source>Near-end state: paper near its end</source>
        <translation>Papierende-Vorwarnung: Papier fast zu Ende</translation>
    </message>
    <message>
        <source>Near-end state: enough paper</source>
        <translation>Papierende-Vorwarnung: Papier ausreichend</translation>
    </message>
    <message>
        <source>Transmitive Optosensor</source>
        <translation>Optosensor Durchlicht</translation>
    </message>
    <message>
        <source>Reflective Optosensor</source>
        <translation>Optosensor Reflexion</translation>
    </message>
    <message>
        <source>Black Level : %1</source>
        <translation>Schwarzpegel: %1</translation>
    </message>
    <message>
        <source>Mark / Backing Level : %1</source>
        <translation>Marken-/Trägerpegel: %1</translation>
    </message>
    <message>
        <source>Paper Level : %1</source>
        <translation>Papierpegel: %1</translation>
    </message>
    <message>
        <source>Paper Threshold : %1</source>
        <translation>Papier-Schwellwert: %1</translation>
    </message>
    <message>
        <source>Mark / Backing Threshold : %1</source>
        <translation>Marken-/Träger-Schwellwert: %1</translation>
    </message>
    <message>
        <source>Port: COM%1, %2</source>
        <translation>Schnittstelle: COM%1, %2</translation>
    </message>
    <message>
        <source>Speed: %1 bauds, %2</source>
        <translation>Geschwindigkeit: %1 Baud, %2</translation>
    </message>
    <message>
        <source>Recorded: %1</source>
        <translation>Aufgezeichnet: %1</translation>
    </message>
    <message>
        <source>Recorded by %1</source>
        <translation>Aufgezeichnet mit %1</translation>
    </message>
    <message>
        <source>Sensor record</source>
        <translation>Sensoraufzeichnung</translation>
    </message>
    <message>
        <source>The record could not be written to %1: %2</source>
        <translation>Die Aufzeichnung konnte nicht nach %1 geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The record cannot be written to %1: the file name must end in .png, .pdf or .csv</source>
        <translation>Die Aufzeichnung kann nicht nach %1 geschrieben werden: der Dateiname muss auf .png, .pdf oder .csv enden</translation>
    </message>
</context>
<context>
    <name>RecordMenu</name>
    <message>
        <source>Chart</source>
        <translation>Diagramm</translation>
    </message>
    <message>
        <source>Save picture...</source>
        <translation>Bild speichern...</translation>
    </message>
    <message>
        <source>Save samples...</source>
        <translation>Messwerte speichern...</translation>
    </message>
    <message>
        <source>Save picture</source>
        <translation>Bild speichern</translation>
    </message>
    <message>
        <source>Save samples</source>
        <translation>Messwerte speichern</translation>
    </message>
    <message>
        <source>Picture (*.png);;PDF document (*.pdf)</source>
        <translation>Bild (*.png);;PDF-Dokument (*.pdf)</translation>
    </message>
    <message>
        <source>Samples (*.csv)</source>
        <translation>Messwerte (*.csv)</translation>
    </message>
</context>
<context>
    <name>RemoteLine</name>
    <message>
        <source>%1 is not an address of the form rfc2217://HOST:PORT</source>
        <translation>%1 ist keine Adresse der Form rfc2217://HOST:PORT</translation>
    </message>
    <message>
        <source>%1 did not take the connection within %2 s</source>
        <translation>%1 hat die Verbindung nicht binnen %2 s angenommen</translation>
    </message>
    <message>
        <source>%1 is not connected</source>
        <translation>%1 ist nicht verbunden</translation>
    </message>
    <message>
        <source>%1 does not accept speed changes</source>
        <translation>%1 nimmt keine Änderung der Geschwindigkeit an</translation>
    </message>
    <message>
        <source>%1 set the line to %2 bauds instead of %3</source>
        <translation>%1 hat die Leitung auf %2 Baud statt %3 gestellt</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>the port was closed</source>
        <translation>die Schnittstelle wurde geschlossen</translation>
    </message>
    <message>
        <source>%1 closed the connection</source>
        <translation>%1 hat die Verbindung geschlossen</translation>
    </message>
    <message>
        <source>the program is ending</source>
        <translation>das Programm wird beendet</translation>
    </message>
</context>
<context>
    <name>SerialDevices</name>
    <message>
        <source>No device has the number %1</source>
        <translation>Kein Gerät hat die Nummer %1</translation>
    </message>
</context>
<context>
    <name>SplashScreen</name>
    <message>
        <source>Rev: %1</source>
        <translation>Rev: %1</translation>
    </message>
</context>
<context>
    <name>Step1</name>
    <message>
        <source>Search again</source>
        <translation>Erneut suchen</translation>
    </message>
</context>
<context>
    <name>Step2</name>
    <message>
        <source>The Near End Of Paper extension has not been detected !<byte value="xd"/>
Can not calibrate or monitor the Near End Of Paper opto-sensor.</source>
        <translation>Die Erweiterung Papierende-Vorwarnung wurde nicht erkannt!<byte value="xd"/>
Der Sensor Papierende-Vorwarnung kann weder kalibriert noch überwacht werden.</translation>
    </message>
    <message>
        <source>Please, select an opto sensor and an action to perform</source>
        <translation>Bitte einen Sensor und eine Aktion wählen</translation>
    </message>
</context>
<context>
    <name>Step3</name>
    <message>
        <source>It seems that the paper is not removed from the printer.<byte value="xd"/>
Please, remove it.<byte value="xd"/>
<byte value="xd"/>
Note: If the opto-sensor is not well calibrated, the paper detection<byte value="xd"/>
may not be correct. In that case, click on cancel.</source>
        <translation>Anscheinend ist noch Papier im Drucker.<byte value="xd"/>
Bitte entfernen Sie es.<byte value="xd"/>
<byte value="xd"/>
Hinweis: Ist der Sensor nicht richtig kalibriert, kann die Papiererkennung<byte value="xd"/>
falsch sein. Klicken Sie in diesem Fall auf Abbrechen.</translation>
    </message>
</context>
</TS>
