<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>HelpPane</name>
    <message>
        <source>Help</source>
        <translation>Aide</translation>
    </message>
    <message>
        <source>Help page not found: %1</source>
        <translation>Page d&apos;aide introuvable : %1</translation>
    </message>
</context>
<context>
    <name>Layout</name>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>&lt;--  Back</source>
        <translation>&lt;--  Retour</translation>
    </message>
    <message>
        <source>Next  --&gt;</source>
        <translation>Suivant  --&gt;</translation>
    </message>
    <message>
        <source>Step 1: Detection of the printer</source>
        <translation>Étape 1 : détection de l&apos;imprimante</translation>
    </message>
    <message>
        <source>Manual Detection</source>
        <translation>Choix manuel</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Démarrer</translation>
    </message>
    <message>
        <source>Serial Port</source>
        <translation>Port série</translation>
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
        <translation>Débit (bauds) :</translation>
    </message>
    <message>
        <source>Handshake:</source>
        <translation>Contrôle de flux :</translation>
    </message>
    <message>
        <source>Detect Printer</source>
        <translation>Détecter l&apos;imprimante</translation>
    </message>
    <message>
        <source>Step 2: Opto-sensor selection</source>
        <translation>Étape 2 : choix du capteur optique</translation>
    </message>
    <message>
        <source>Optosensor selection</source>
        <translation>Choix du capteur optique</translation>
    </message>
    <message>
        <source>Printer opto-sensor</source>
        <translation>Capteur optique de l&apos;imprimante</translation>
    </message>
    <message>
        <source>Near End Of Paper opto-sensor</source>
        <translation>Capteur fin de papier proche</translation>
    </message>
    <message>
        <source>Action selection</source>
        <translation>Choix de l&apos;action</translation>
    </message>
    <message>
        <source>Monitor the opto-sensor</source>
        <translation>Surveiller le capteur optique</translation>
    </message>
    <message>
        <source>Calibrate the opto-sensor</source>
        <translation>Étalonner le capteur optique</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Aide</translation>
    </message>
    <message>
        <source>Step 3: Calibration of the opto-sensor</source>
        <translation>Étape 3 : étalonnage du capteur optique</translation>
    </message>
    <message>
        <source>Reflective</source>
        <translation>Réflexion</translation>
    </message>
    <message>
        <source>Transmitive</source>
        <translation>Transmission</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Étalonner</translation>
    </message>
    <message>
        <source>Monitoring the opto-sensors</source>
        <translation>Surveillance des capteurs optiques</translation>
    </message>
    <message>
        <source>Check Parameters</source>
        <translation>Voir les paramètres</translation>
    </message>
    <message>
        <source>Printer opto parameters</source>
        <translation>Paramètres du capteur optique</translation>
    </message>
    <message>
        <source>Opto Type</source>
        <translation>Type de capteur</translation>
    </message>
    <message>
        <source>Black Level</source>
        <translation>Niveau noir</translation>
    </message>
    <message>
        <source>Mark Level</source>
        <translation>Niveau marque</translation>
    </message>
    <message>
        <source>Paper Level</source>
        <translation>Niveau papier</translation>
    </message>
    <message>
        <source>Paper Threshold</source>
        <translation>Seuil papier</translation>
    </message>
    <message>
        <source>Mark Threshold</source>
        <translation>Seuil marque</translation>
    </message>
    <message>
        <source>Close Help</source>
        <translation>Fermer l&apos;aide</translation>
    </message>
</context>
<context>
    <name>Link</name>
    <message>
        <source>The serial port %1 cannot be used: %2.<byte value="xd"/>
Check the cable, the adapter and that no other program holds the port.</source>
        <translation>Le port série %1 est inutilisable : %2.<byte value="xd"/>
Vérifiez le câble, l&apos;adaptateur et qu&apos;aucun autre programme n&apos;occupe le port.</translation>
    </message>
</context>
<context>
    <name>MSComm</name>
    <message>
        <source>invalid line settings &quot;%1&quot;</source>
        <translation>paramètres de ligne invalides « %1 »</translation>
    </message>
    <message>
        <source>%1 is still being opened</source>
        <translation>%1 est encore en cours d&apos;ouverture</translation>
    </message>
    <message>
        <source>%1 is not there</source>
        <translation>%1 n&apos;existe pas</translation>
    </message>
    <message>
        <source>%1 is not connected to any device</source>
        <translation>%1 n&apos;est relié à aucun appareil</translation>
    </message>
</context>
<context>
    <name>MonitorFrm</name>
    <message>
        <source>Monitoring printer opto-sensor...</source>
        <translation>Surveillance du capteur optique de l&apos;imprimante...</translation>
    </message>
    <message>
        <source>Monitoring Near End Of Paper opto-sensor...</source>
        <translation>Surveillance du capteur optique fin de papier proche...</translation>
    </message>
    <message>
        <source>The printer does not answer at 57600 bauds.</source>
        <translation>L&apos;imprimante ne répond pas à 57600 bauds.</translation>
    </message>
</context>
<context>
    <name>PortAccess</name>
    <message>
        <source>%1.<byte value="xd"/>
This user may not use %2. On Debian and similar systems the serial ports belong to the group &quot;dialout&quot;: add the user to it (sudo adduser %3 dialout), then log out and log in again</source>
        <translation>%1.<byte value="xd"/>
Cet utilisateur ne peut pas utiliser %2. Sous Debian et les systèmes semblables, les ports série appartiennent au groupe « dialout » : ajoutez-y l&apos;utilisateur (sudo adduser %3 dialout), puis fermez la session et rouvrez-la</translation>
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
        <translation>Mode DSR/DTR</translation>
    </message>
    <message>
        <source>No printer found yet, please start detection.</source>
        <translation>Aucune imprimante trouvée, lancez la détection.</translation>
    </message>
    <message>
        <source>You must select a serial port</source>
        <translation>Vous devez choisir un port série</translation>
    </message>
    <message>
        <source>This port does not exist</source>
        <translation>Ce port n&apos;existe pas</translation>
    </message>
    <message>
        <source>%1 found on COM%2 at %3 bauds</source>
        <translation>%1 trouvée sur COM%2 à %3 bauds</translation>
    </message>
    <message>
        <source>The previous firmware upgrade has not been completed <byte value="xd"/>
successfully, or the firmware has been corrupted.<byte value="xd"/>
<byte value="xd"/>
Please, flash the printer firmware.</source>
        <translation>La dernière mise à jour du firmware ne s&apos;est pas terminée <byte value="xd"/>
correctement, ou le firmware est endommagé.<byte value="xd"/>
<byte value="xd"/>
Veuillez reflasher le firmware de l&apos;imprimante.</translation>
    </message>
</context>
<context>
    <name>Printer::Detector</name>
    <message>
        <source>Trying to wake-up the printer</source>
        <translation>Réveil de l&apos;imprimante</translation>
    </message>
    <message>
        <source>Attempting to contact printer on COM %1 at %2 bauds.</source>
        <translation>Essai de l&apos;imprimante sur COM %1 à %2 bauds.</translation>
    </message>
    <message>
        <source>No printer found</source>
        <translation>Aucune imprimante trouvée</translation>
    </message>
    <message>
        <source>Attempting to contact printer in BIOS mode on COM%1</source>
        <translation>Essai de l&apos;imprimante en mode BIOS sur COM%1</translation>
    </message>
    <message>
        <source>No printer found on COM %1 at %2 bauds</source>
        <translation>Aucune imprimante sur COM %1 à %2 bauds</translation>
    </message>
    <message>
        <source>%1 found on COM %2 at %3 bauds</source>
        <translation>%1 trouvée sur COM %2 à %3 bauds</translation>
    </message>
</context>
<context>
    <name>Printer::Sampler</name>
    <message>
        <source>Waiting for %1 to come back...</source>
        <translation>En attente du retour de %1...</translation>
    </message>
    <message>
        <source>%1 is back: monitoring goes on.</source>
        <translation>%1 est de retour : la surveillance continue.</translation>
    </message>
    <message>
        <source>the printer&apos;s speed could not be switched</source>
        <translation>la vitesse de l&apos;imprimante n&apos;a pas pu être changée</translation>
    </message>
    <message>
        <source>the printer cannot be written to</source>
        <translation>impossible d&apos;écrire vers l&apos;imprimante</translation>
    </message>
    <message>
        <source>Waiting for the printer on %1 to answer...</source>
        <translation>En attente de la réponse de l'imprimante sur %1...</translation>
    </message>
    <message>
        <source>The printer on %1 does not answer at 57600 bauds.</source>
        <translation>L'imprimante sur %1 ne répond pas à 57600 bauds.</translation>
    </message>
    <message>
        <source>the printer&apos;s speed could not be put back</source>
        <translation>la vitesse de l&apos;imprimante n&apos;a pas pu être rétablie</translation>
    </message>
</context>
<context>
    <name>QNativeSocketEngine</name>
    <message>
        <source>Connection refused</source>
        <translation>Connexion refusée</translation>
    </message>
    <message>
        <source>Host unreachable</source>
        <translation>Hôte inaccessible</translation>
    </message>
    <message>
        <source>Network unreachable</source>
        <translation>Réseau inaccessible</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>the command could not be written to the port</source>
        <translation>la commande n&apos;a pas pu être écrite sur le port</translation>
    </message>
    <message>
        <source>%1 is too large to be a port entry</source>
        <translation>%1 est trop grand pour une entrée de port</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 ne peut pas être lu : %2</translation>
    </message>
    <message>
        <source>%1 holds no address of the form rfc2217://HOST:PORT on its first line</source>
        <translation>%1 ne contient pas d&apos;adresse de la forme rfc2217://HOST:PORT sur sa première ligne</translation>
    </message>
    <message>
        <source>%1 leads to %2, which is no serial device</source>
        <translation>%1 mène à %2, qui n&apos;est pas un périphérique série</translation>
    </message>
    <message>
        <source>%1 is for a port the wizard does not have: only COM%2 to COM%3 are ports</source>
        <translation>%1 concerne un port que l&apos;assistant ne connaît pas : seuls COM%2 à COM%3 sont des ports</translation>
    </message>
    <message>
        <source>%1 is for a port the wizard does not have: only COM1 to COM%2 are ports</source>
        <translation>%1 concerne un port que l&apos;assistant ne connaît pas : seuls COM1 à COM%2 sont des ports</translation>
    </message>
    <message>
        <source>%1 names neither a device (COM12) nor an address (rfc2217://HOST:PORT) on its first line</source>
        <translation>%1 ne nomme sur sa première ligne ni un périphérique (COM12) ni une adresse (rfc2217://HOST:PORT)</translation>
    </message>
</context>
<context>
    <name>Record</name>
    <message>
        <source>Time base: %1ms</source>
        <translation>Base de temps : %1 ms</translation>
    </message>
    <message>
        <source>DSR/DTR Mode</source>
        <translation>Mode DSR/DTR</translation>
    </message>
    <message>
        <source>Xon-Xoff</source>
        <translation>Xon-Xoff</translation>
    </message>
    <message>
        <source>Printer: %1</source>
        <translation>Imprimante : %1</translation>
    </message>
    <message>
        <source>(not asked: the link was given)</source>
        <translation>(non demandée : la liaison était donnée)</translation>
    </message>
    <message>
        <source>Sensor: Near End Of Paper opto-sensor</source>
        <translation>Capteur : capteur optique fin de papier proche</translation>
    </message>
    <message>
        <source>Sensor: printer opto-sensor</source>
        <translation>Capteur : capteur optique de l&apos;imprimante</translation>
    </message>
    <message>
        <source>Sensor: printer opto-sensor, transmissive</source>
        <translation>Capteur : capteur optique de l&apos;imprimante, en transmission</translation>
    </message>
    <message>
        <source>Sensor: printer opto-sensor, reflective</source>
        <translation>Capteur : capteur optique de l&apos;imprimante, en réflexion</translation>
    </message>
    <message>
        <source>Near-end state: paper near its end</source>
        <translation>Fin de papier proche : papier presque épuisé</translation>
    </message>
    <message>
        <source>Near-end state: enough paper</source>
        <translation>Fin de papier proche : papier suffisant</translation>
    </message>
    <message>
        <source>Transmitive Optosensor</source>
        <translation>Capteur optique en transmission</translation>
    </message>
    <message>
        <source>Reflective Optosensor</source>
        <translation>Capteur optique en réflexion</translation>
    </message>
    <message>
        <source>Black Level : %1</source>
        <translation>Niveau noir : %1</translation>
    </message>
    <message>
        <source>Mark / Backing Level : %1</source>
        <translation>Niveau marque / support : %1</translation>
    </message>
    <message>
        <source>Paper Level : %1</source>
        <translation>Niveau papier : %1</translation>
    </message>
    <message>
        <source>Paper Threshold : %1</source>
        <translation>Seuil papier : %1</translation>
    </message>
    <message>
        <source>Mark / Backing Threshold : %1</source>
        <translation>Seuil marque / support : %1</translation>
    </message>
    <message>
        <source>Port: COM%1, %2</source>
        <translation>Port : COM%1, %2</translation>
    </message>
    <message>
        <source>Speed: %1 bauds, %2</source>
        <translation>Vitesse : %1 bauds, %2</translation>
    </message>
    <message>
        <source>Recorded: %1</source>
        <translation>Enregistré : %1</translation>
    </message>
    <message>
        <source>Recorded by %1</source>
        <translation>Enregistré par %1</translation>
    </message>
    <message>
        <source>Sensor record</source>
        <translation>Enregistrement du capteur</translation>
    </message>
    <message>
        <source>The record could not be written to %1: %2</source>
        <translation>L&apos;enregistrement n&apos;a pas pu être écrit dans %1 : %2</translation>
    </message>
    <message>
        <source>The record cannot be written to %1: the file name must end in .png, .pdf or .csv</source>
        <translation>L&apos;enregistrement ne peut pas être écrit dans %1 : le nom du fichier doit finir par .png, .pdf ou .csv</translation>
    </message>
</context>
<context>
    <name>RecordMenu</name>
    <message>
        <source>Chart</source>
        <translation>Graphique</translation>
    </message>
    <message>
        <source>Save picture...</source>
        <translation>Enregistrer l&apos;image...</translation>
    </message>
    <message>
        <source>Save samples...</source>
        <translation>Enregistrer les mesures...</translation>
    </message>
    <message>
        <source>Save picture</source>
        <translation>Enregistrer l&apos;image</translation>
    </message>
    <message>
        <source>Save samples</source>
        <translation>Enregistrer les mesures</translation>
    </message>
    <message>
        <source>Picture (*.png);;PDF document (*.pdf)</source>
        <translation>Image (*.png);;Document PDF (*.pdf)</translation>
    </message>
    <message>
        <source>Samples (*.csv)</source>
        <translation>Mesures (*.csv)</translation>
    </message>
</context>
<context>
    <name>RemoteLine</name>
    <message>
        <source>%1 is not an address of the form rfc2217://HOST:PORT</source>
        <translation>%1 n&apos;est pas une adresse de la forme rfc2217://HÔTE:PORT</translation>
    </message>
    <message>
        <source>%1 did not take the connection within %2 s</source>
        <translation>%1 n&apos;a pas accepté la connexion en %2 s</translation>
    </message>
    <message>
        <source>%1 is not connected</source>
        <translation>%1 n&apos;est pas connecté</translation>
    </message>
    <message>
        <source>%1 does not accept speed changes</source>
        <translation>%1 n&apos;accepte pas les changements de vitesse</translation>
    </message>
    <message>
        <source>%1 set the line to %2 bauds instead of %3</source>
        <translation>%1 a mis la ligne à %2 bauds au lieu de %3</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>inconnue</translation>
    </message>
    <message>
        <source>the port was closed</source>
        <translation>le port a été fermé</translation>
    </message>
    <message>
        <source>%1 closed the connection</source>
        <translation>%1 a fermé la connexion</translation>
    </message>
    <message>
        <source>the program is ending</source>
        <translation>le programme se termine</translation>
    </message>
</context>
<context>
    <name>SerialDevices</name>
    <message>
        <source>No device has the number %1</source>
        <translation>Aucun appareil ne porte le numéro %1</translation>
    </message>
</context>
<context>
    <name>SplashScreen</name>
    <message>
        <source>Rev: %1</source>
        <translation>Rév. : %1</translation>
    </message>
</context>
<context>
    <name>Step1</name>
    <message>
        <source>Search again</source>
        <translation>Nouvelle recherche</translation>
    </message>
</context>
<context>
    <name>Step2</name>
    <message>
        <source>The Near End Of Paper extension has not been detected !<byte value="xd"/>
Can not calibrate or monitor the Near End Of Paper opto-sensor.</source>
        <translation>L&apos;extension de fin de papier proche n&apos;a pas été détectée !<byte value="xd"/>
Impossible d&apos;étalonner ou de surveiller le capteur de fin de papier proche.</translation>
    </message>
    <message>
        <source>Please, select an opto sensor and an action to perform</source>
        <translation>Veuillez choisir un capteur et une action</translation>
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
        <translation>Il semble que le papier n&apos;ait pas été retiré de l&apos;imprimante.<byte value="xd"/>
Veuillez le retirer.<byte value="xd"/>
<byte value="xd"/>
Remarque : si le capteur est mal étalonné, la détection du papier<byte value="xd"/>
peut être fausse. Dans ce cas, cliquez sur Annuler.</translation>
    </message>
</context>
</TS>
